// The one font of the main window and every control in it: "ＭＳ Ｐゴシック", 12 pixels high, or
// where that is not installed the first installed of the metrically close Japanese proportional
// gothics "IPAPGothic" and "Noto Sans CJK JP". One face then draws every text, Latin letters and
// digits included, instead of a per-glyph mix of fallbacks.
#pragma once

#include <QFont>

namespace palvoren {

QFont WindowFont();

}  // namespace palvoren
