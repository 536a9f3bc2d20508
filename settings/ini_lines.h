// The line rules shared by the INI readers: what a blank is, how names are compared, where a key
// ends, and the walk over lines that keeps track of the section. Internal to settings/.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/ini_keys.h"

namespace palvoren::ini {

inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text);
// Lower-cases (ASCII) into a buffer the caller keeps, so that a scan allocates nothing per line.
void LowerInto(std::string& out, std::string_view text);
// Trimmed and lower-cased.
std::string Lower(std::string_view text);
// The one string a section and key are looked up by: both lower case, NUL between.
std::string MapKey(std::string_view lowerSection, std::string_view lowerKey);

// Where a key line's key ends: the first "=", found without reading the whole line when the key
// could not be one of interest anyway (longer than the longest). npos: no key of interest. Without
// keys, every key is of interest.
std::size_t KeyEnd(std::string_view text, const IniKeys* keys);

// Reads lines one at a time and keeps track of the section they are in. It tells its owner of
// every section entered (OnSection), every line that is not blank (OnContentLine) and every key
// of interest with its value (OnValue); the owner decides what to keep.
template <typename Owner>
class LineWalker {
public:
    LineWalker(Owner& owner, const IniKeys* keys) : owner_(owner), keys_(keys) {}

    bool InWantedSection() const { return wanted_; }

    void Line(std::string_view text, std::size_t offset, std::size_t lineEnd) {
        std::size_t first = 0;
        while (first < text.size() && IsBlank(text[first]))
            ++first;
        if (first == text.size())
            return;  // blank lines never move where new keys go
        const char lead = text[first];
        if (lead == '[') {
            std::string_view name = Trim(text.substr(first + 1));
            EnterSection(Trim(name.substr(0, name.find(']'))));
        }
        owner_.OnContentLine(lineEnd);
        // Most lines of a huge file are keys nobody asked for; their first byte tells.
        if (lead == '[' || lead == ';' || !wanted_ ||
            (keys_ != nullptr && !keys_->MayStartKeyLine(lead)))
            return;
        const std::size_t equals = KeyEnd(text, keys_);
        if (equals != std::string_view::npos)
            KeyLine(Trim(text.substr(0, equals)), text.substr(equals + 1), offset + equals + 1);
    }

private:
    void EnterSection(std::string_view name) {
        LowerInto(section_, name);
        wanted_ = keys_ == nullptr || keys_->HasSection(section_);
        owner_.OnSection(section_, wanted_);
    }

    void KeyLine(std::string_view key, std::string_view value, std::size_t valueOffset) {
        if (keys_ != nullptr && key.size() > keys_->LongestKey())
            return;
        LowerInto(key_, key);
        if (keys_ == nullptr || keys_->Has(section_, key_))
            owner_.OnValue(MapKey(section_, key_), value, valueOffset);
    }

    Owner& owner_;
    const IniKeys* const keys_;  // null: every key
    bool wanted_ = false;        // before the first section, keys belong to none
    std::string section_;        // lower-case name of the current section
    std::string key_;
};

}  // namespace palvoren::ini
