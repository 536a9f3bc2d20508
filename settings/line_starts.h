// Finding the lines worth a look in a large text without looking at every line: a huge settings
// file is mostly lines that no key of interest can start, and those are passed over a block of
// bytes at a time.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace palvoren {

// A yes or no for each byte value.
using ByteSet = std::array<bool, 256>;

// The first line start at or after `from` (a position right after an LF) whose first byte is in
// `wanted`, or text.size() when the text ends with an LF and nothing wanted follows; npos when no
// such line starts in the text.
std::size_t NextLineStartingWith(std::string_view text, std::size_t from, const ByteSet& wanted);

}  // namespace palvoren
