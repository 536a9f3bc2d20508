// The one font of the main window and every control in it.
#pragma once

#include <QFont>
#include <QString>

namespace palvoren {

// The family the window asks for, and the metrically close Japanese proportional gothics used in
// its place, in order of preference, where it is not installed.
QString WindowFontFamily();
QStringList WindowFontSubstitutes();

// The window's font, 12 pixels high. Registers the substitutes on first use, so one face draws
// every text, Latin letters and digits included, instead of a per-glyph mix of fallbacks.
QFont WindowFont();

}  // namespace palvoren
