// How the main window first appears: as the starting program was asked to show it.
//
// Windows passes a show state in the start-up information (a shortcut's "Run" setting); 3 asks
// for a maximised window, 7 for a minimised one that does not take the activation. Any other
// state, no state at all and every other system give the normal window at its loaded position.
#pragma once

#include <QtCore/qnamespace.h>

namespace palvoren {

// Qt::WindowMaximized, Qt::WindowMinimized or Qt::WindowNoState.
Qt::WindowState StartupState();

}  // namespace palvoren
