// Fitting windows onto the screens: where the main window opens for a saved position, and where a
// box goes on the screen it belongs to. Positions are those of a window's frame (its outer top-left
// corner); areas are screens' available geometries, without task bars and docks.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;
class QWidget;

namespace palvoren {

// The position of the main window, whose client area has the given size, for a saved position:
// the saved one while a grip of its title bar (layout::kTitleBarGrip of the layout::kTitleBarHeight
// strip above the client area) lies within one of the areas, otherwise the saved one clamped into
// `primary` so that the whole window lies inside, its top-left corner first where it cannot. Any
// int position is taken without overflow.
QPoint ReachablePosition(QPoint position, QSize clientSize, const QList<QRect>& areas,
                         const QRect& primary);

// The top-left corner that centres a window of `size` in `area`, moved right and down as far as
// needed to keep that corner, and so the title bar, inside the area.
QPoint CentredIn(const QRect& area, QSize size);

// The screen that shows a window: the one under the centre of its frame, else the one Qt ties the
// window to. Works for hidden windows too, by the place they would appear.
QScreen* ScreenShowing(const QWidget& window);

// Whether the windowing platform places top-level windows where they ask and reports where they
// stand. Wayland does neither.
bool WindowPositionsKnown();

// Moves a top-level window with a client area of that size to the ReachablePosition of where it
// stands, on the current screens. The size is passed in: a window placed near the end of the int
// range has a geometry whose size no longer computes.
void KeepTitleBarReachable(QWidget& window, QSize clientSize);

}  // namespace palvoren
