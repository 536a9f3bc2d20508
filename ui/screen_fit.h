// Fitting the main window onto the screens: where it opens for a saved position. Positions are
// those of a window's frame (its outer top-left corner); areas are screens' available geometries,
// without task bars and docks.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace palvoren {

// The position of the main window, whose client area has the given size, for a saved position:
// the saved one while a grip of its title bar (layout::kTitleBarGrip of the layout::kTitleBarHeight
// strip above the client area) lies within one of the areas, otherwise the saved one clamped into
// `primary` so that the whole window lies inside, its top-left corner first where it cannot. Any
// int position is taken without overflow.
QPoint ReachablePosition(QPoint position, QSize clientSize, const QList<QRect>& areas,
                         const QRect& primary);

// Whether the windowing platform places top-level windows where they ask and reports where they
// stand. Wayland does neither.
bool WindowPositionsKnown();

// Moves a top-level window with a client area of that size to the ReachablePosition of where it
// stands, on the current screens. The size is passed in: a window placed near the end of the int
// range has a geometry whose size no longer computes.
void KeepTitleBarReachable(QWidget& window, QSize clientSize);

}  // namespace palvoren
