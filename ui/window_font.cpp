#include "ui/window_font.h"

#include <QStringList>

namespace palvoren {

QString WindowFontFamily() {
    return QStringLiteral("ＭＳ Ｐゴシック");
}

QStringList WindowFontSubstitutes() {
    return {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
}

QFont WindowFont() {
    static const bool registered = [] {
        QFont::insertSubstitutions(WindowFontFamily(), WindowFontSubstitutes());
        return true;
    }();
    (void)registered;
    QFont font(WindowFontFamily());
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    font.setStyle(QFont::StyleNormal);
    // Hinting to full pixels keeps the 12-pixel glyphs as crisp as the bitmap faces they stand for.
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

}  // namespace palvoren
