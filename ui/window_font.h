// The one font of the main window and every control in it.
#pragma once

#include <QFont>
#include <QString>

namespace palvoren {

// The family the window asks for, and the metrically close Japanese proportional gothics used in
// its place, in order of preference, where it is not installed.
QString WindowFontFamily();
QStringList WindowFontSubstitutes();

// The first of the family and its substitutes that is installed; one face then draws every text,
// Latin letters and digits included, instead of a per-glyph mix of fallbacks.
QString InstalledWindowFontFamily();

// The window's font in that family, 12 pixels high.
QFont WindowFont();

}  // namespace palvoren
