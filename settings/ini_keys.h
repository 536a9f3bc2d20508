// The keys an INI reader is asked about, by section and key name (ASCII case does not matter).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

namespace palvoren {

class IniKeys {
public:
    void Add(std::string_view section, std::string_view key);

    bool HasSection(std::string_view lowerSection) const;
    bool Has(std::string_view lowerSection, std::string_view lowerKey) const;
    std::size_t LongestKey() const { return longestKey_; }
    // Whether a line whose first non-blank byte is this can hold one of the keys.
    bool MayStartKeyLine(char c) const { return keyStarts_[static_cast<unsigned char>(c)]; }

private:
    std::array<bool, 256> keyStarts_{};
    std::unordered_set<std::string> sections_;  // lower case
    std::unordered_set<std::string> keys_;      // "section\0key", lower case
    std::size_t longestKey_ = 0;
};

}  // namespace palvoren
