#include "ui/screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cstdint>

#include "ui/layout.h"

namespace palvoren {
namespace {

// Saved positions reach the int limits; adding a window's size to them must not overflow.
using Wide = std::int64_t;

Wide Overlap(Wide first, Wide length, Wide areaFirst, Wide areaLength) {
    return std::max<Wide>(
        0, std::min(first + length, areaFirst + areaLength) - std::max(first, areaFirst));
}

bool GripWithin(QPoint position, QSize clientSize, const QRect& area) {
    const Wide wide = Overlap(position.x(), clientSize.width(), area.x(), area.width());
    const Wide high = Overlap(position.y(), layout::kTitleBarHeight, area.y(), area.height());
    return wide >= std::min(layout::kTitleBarGrip.width(), clientSize.width()) &&
           high >= layout::kTitleBarGrip.height();
}

// The start of a span of `length` moved into the `room` from `first`; `first` where it is too long.
int ClampInto(int start, int length, int first, int room) {
    const Wide last = Wide{first} + room - length;
    return static_cast<int>(std::max<Wide>(first, std::min<Wide>(start, last)));
}

}  // namespace

QPoint ReachablePosition(QPoint position, QSize clientSize, const QList<QRect>& areas,
                         const QRect& primary) {
    for (const QRect& area : areas) {
        if (GripWithin(position, clientSize, area))
            return position;
    }
    return {ClampInto(position.x(), clientSize.width(), primary.x(), primary.width()),
            ClampInto(position.y(), clientSize.height() + layout::kTitleBarHeight, primary.y(),
                      primary.height())};
}

bool WindowPositionsKnown() {
    return !QGuiApplication::platformName().startsWith(u"wayland");
}

void KeepTitleBarReachable(QWidget& window, QSize clientSize) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr)
        return;
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    window.move(ReachablePosition(window.pos(), clientSize, areas, primary->availableGeometry()));
}

}  // namespace palvoren
