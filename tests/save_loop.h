// The two alternating windows that the save loop writes, and a check that a loaded window is one
// of them (or the starting state) as a whole.
#pragma once

#include <string>

#include "test_support.h"

namespace palvoren::test {

inline std::string SaveLoopText(int generation, int field) {
    // Long values make a save take long enough for kills to land inside it.
    return std::string(400, static_cast<char>('a' + generation)) + std::to_string(field);
}

inline FakeWindow SaveLoopWindow(int generation) {
    FakeWindow window;
    window.top = generation;
    window.left = 1000 + generation;
    for (int n = 1; n <= kScoreFieldCount; ++n)
        window.fields[n] = SaveLoopText(generation, n);
    return window;
}

inline bool IsWholeSaveLoopWindow(const FakeWindow& window, int generation) {
    const FakeWindow expected = SaveLoopWindow(generation);
    return window.top == expected.top && window.left == expected.left &&
           window.fields == expected.fields;
}

}  // namespace palvoren::test
