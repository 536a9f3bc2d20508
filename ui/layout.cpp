#include "ui/layout.h"

#include <array>
#include <stdexcept>
#include <string>

namespace palvoren::layout {
namespace {

struct LinePlaces {
    int home;
    int away;
};

// Each field sits under the name of its team in the caption above it, so the lefts follow the
// length of the names and are kept as laid out rather than computed from the font.
constexpr std::array<std::array<LinePlaces, kMatchesPerGroup>, kGroupCount> kFieldLefts{{
    {{{72, 112}, {72, 112}, {72, 112}, {72, 112}, {72, 112}, {72, 112}}},    // A
    {{{88, 128}, {72, 112}, {80, 120}, {88, 128}, {72, 112}, {88, 128}}},    // B
    {{{72, 112}, {56, 96}, {72, 112}, {64, 104}, {72, 120}, {64, 104}}},     // C
    {{{56, 96}, {72, 112}, {56, 96}, {80, 128}, {56, 96}, {80, 128}}},       // D
    {{{88, 136}, {64, 104}, {64, 104}, {104, 152}, {64, 104}, {104, 152}}},  // E
    {{{88, 128}, {88, 136}, {88, 136}, {88, 136}, {104, 152}, {96, 136}}},   // F
    {{{80, 128}, {72, 112}, {72, 112}, {80, 120}, {72, 112}, {80, 128}}},    // G
    {{{56, 96}, {64, 104}, {56, 96}, {80, 120}, {56, 96}, {72, 120}}},       // H
}};

}  // namespace

QRect FieldRect(int groupIndex, int line, Side side) {
    if (groupIndex < 1 || groupIndex > kGroupCount || line < 1 || line > kMatchesPerGroup) {
        throw std::out_of_range("no score field on page " + std::to_string(groupIndex) + " line " +
                                std::to_string(line));
    }
    const LinePlaces& places =
        kFieldLefts[static_cast<std::size_t>(groupIndex - 1)][static_cast<std::size_t>(line - 1)];
    return {QPoint(side == Side::Home ? places.home : places.away, FieldTop(line)), kFieldSize};
}

}  // namespace palvoren::layout
