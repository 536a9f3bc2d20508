// The program's icon, "MAINICON": a football, 32 x 32 pixels in 16 colours, for the window frame
// and the taskbar.
#pragma once

#include <QIcon>

namespace palvoren {

// Needs a QGuiApplication.
QIcon AppIcon();

}  // namespace palvoren
