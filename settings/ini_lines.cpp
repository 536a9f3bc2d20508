#include "settings/ini_lines.h"

#include <algorithm>

namespace palvoren::ini {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

namespace {

char LowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

void LowerInto(std::string& out, std::string_view text) {
    out.assign(text);
    std::transform(out.begin(), out.end(), out.begin(), LowerChar);
}

std::string Lower(std::string_view text) {
    std::string lower;
    LowerInto(lower, Trim(text));
    return lower;
}

std::string MapKey(std::string_view lowerSection, std::string_view lowerKey) {
    std::string key;
    key.reserve(lowerSection.size() + 1 + lowerKey.size());
    return key.append(lowerSection).append(1, '\0').append(lowerKey);
}

std::size_t KeyEnd(std::string_view text, const IniKeys* keys) {
    if (keys == nullptr)
        return text.find('=');
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    const std::size_t limit = std::min(text.size(), start + keys->LongestKey() + 1);
    std::size_t end = text.substr(0, limit).find('=', start);
    if (end == std::string_view::npos) {  // blanks may still stand between a short key and its "="
        end = limit;
        while (end < text.size() && IsBlank(text[end]))
            ++end;
    }
    return end < text.size() && text[end] == '=' ? end : std::string_view::npos;
}

}  // namespace palvoren::ini
