#include "ui/window_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace palvoren {
namespace {

QString InstalledFamily() {
    const QStringList wanted{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                             QStringLiteral("Noto Sans CJK JP")};
    // Asking for a family that is not installed makes Qt search the system's fallback fonts for
    // it (a fontconfig sort over every font, the largest single cost of start-up) before it tries
    // substitutes, and hasFamily() runs fontconfig's rules for every name asked: the list of
    // installed families is read once instead.
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : wanted) {
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    }
    // None installed: keep the name and let Qt's own matching find the closest face.
    QFont::insertSubstitutions(wanted.front(), wanted.mid(1));
    return wanted.front();
}

}  // namespace

QFont WindowFont() {
    static const QString family = InstalledFamily();
    QFont font(family);
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    font.setStyle(QFont::StyleNormal);
    // Hinting to full pixels keeps the 12-pixel glyphs as crisp as the bitmap faces they stand for.
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

}  // namespace palvoren
