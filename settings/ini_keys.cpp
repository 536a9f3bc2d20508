#include "settings/ini_keys.h"

#include <algorithm>

#include "settings/ini_lines.h"

namespace palvoren {

using ini::Lower;
using ini::MapKey;

void IniKeys::Add(std::string_view section, std::string_view key) {
    const std::string lowerSection = Lower(section);
    const std::string lowerKey = Lower(key);
    sections_.insert(lowerSection);
    keys_.insert(MapKey(lowerSection, lowerKey));
    longestKey_ = std::max(longestKey_, lowerKey.size());
    const char start = lowerKey.empty() ? '=' : lowerKey.front();
    keyStarts_[static_cast<unsigned char>(start)] = true;
    keyStarts_[static_cast<unsigned char>(start >= 'a' && start <= 'z' ? start - 'a' + 'A'
                                                                       : start)] = true;
}

bool IniKeys::HasSection(std::string_view lowerSection) const {
    return sections_.contains(std::string(lowerSection));
}

bool IniKeys::Has(std::string_view lowerSection, std::string_view lowerKey) const {
    return keys_.contains(MapKey(lowerSection, lowerKey));
}

}  // namespace palvoren
