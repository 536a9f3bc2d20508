#include "app/app_icon.h"

#include <QPixmap>

namespace palvoren {
namespace {

#include "app/football.xpm"

}  // namespace

QIcon AppIcon() {
    return QIcon(QPixmap(football_xpm));
}

}  // namespace palvoren
