// Where everything sits in the main window, in pixels for a 96-dpi screen. Qt scales the whole
// layout on screens with a larger scale factor, so these stay the logical positions.
//
// Positions of controls on a page are relative to the page's client area, below the tab strip.
// Every page has the same template; only the score fields' left edges differ per page and line.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <string_view>

#include "tournament/fixture_table.h"

namespace palvoren::layout {

inline constexpr std::string_view kWindowCaption = "Palvoren";
inline constexpr QSize kClientSize{538, 448};
inline constexpr QPoint kInitialPosition{191, 108};  // left, top; before the settings load
inline constexpr QRect kPageControl{0, 0, 537, 445};

// The window's title bar, whose size is unknown while the window is still hidden: the height it
// adds above the client area, and the part of it that must lie on one screen for the window to be
// dragged (wide enough to hit beside the caption buttons, half the bar high).
inline constexpr int kTitleBarHeight = 30;
inline constexpr QSize kTitleBarGrip{100, kTitleBarHeight / 2};

// The error box: its text runs in lines up to this wide before the box grows wider, and the box
// needs this much room beside its text (icon, margins, the OK row and the window frame).
inline constexpr int kBoxTextWidth = 400;
inline constexpr QSize kBoxChrome{120, 160};

inline constexpr int kCaptionLeft = 8;
inline constexpr int kCaptionHeight = 12;
inline constexpr QSize kFieldSize{33, 20};
inline constexpr QPoint kUpperRoundOf16{248, 56};
inline constexpr QPoint kLowerRoundOf16{248, 88};
inline constexpr QRect kButton{280, 224, 73, 25};
inline constexpr std::string_view kButtonCaption = "計算";
inline constexpr QRect kGrid{16, 272, 465, 129};

inline constexpr std::string_view kVersionLabel = "Label65";
inline constexpr std::string_view kVersionText = "Version 1.1.0.0";
inline constexpr QPoint kVersionPosition{448, 8};

// Top edge of the match caption and of the score fields on display line 1-6.
constexpr int CaptionTop(int line) {
    return 16 + 40 * (line - 1);
}
constexpr int FieldTop(int line) {
    return 32 + 40 * (line - 1);
}

// The home or away score field's place on its page, for display line 1-6 on the page of group
// 1-8.
QRect FieldRect(int groupIndex, int line, Side side);

}  // namespace palvoren::layout
