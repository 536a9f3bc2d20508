#include "ui/window_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace palvoren {

QString WindowFontFamily() {
    return QStringLiteral("ＭＳ Ｐゴシック");
}

QStringList WindowFontSubstitutes() {
    return {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
}

QString InstalledWindowFontFamily() {
    // Asking for a family that is not installed makes Qt search the system's fallback fonts for
    // it (a fontconfig sort over every font, the largest single cost of start-up) before it tries
    // the substitutes. Picking the installed family first skips that search.
    static const QString family = [] {
        // hasFamily() runs fontconfig's substitution rules for every name asked; the list of
        // installed families is read once.
        const QStringList installed = QFontDatabase::families();
        QStringList candidates{WindowFontFamily()};
        candidates += WindowFontSubstitutes();
        for (const QString& candidate : candidates) {
            if (installed.contains(candidate, Qt::CaseInsensitive))
                return candidate;
        }
        // None installed: keep the name and let Qt's own matching find the closest face.
        QFont::insertSubstitutions(WindowFontFamily(), WindowFontSubstitutes());
        return WindowFontFamily();
    }();
    return family;
}

QFont WindowFont() {
    QFont font(InstalledWindowFontFamily());
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    font.setStyle(QFont::StyleNormal);
    // Hinting to full pixels keeps the 12-pixel glyphs as crisp as the bitmap faces they stand for.
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

}  // namespace palvoren
