// One pass over an INI text of any size, a piece at a time, finding what the settings need of it:
// the first value of each key asked for, where those values stand and where keys new to a section
// would go. Nothing else of the text is kept, so a file of any size costs the scan no more than
// its pieces and the values it finds.
//
// Reading is forgiving. Lines end in LF; a CR right before the LF is no part of the line. A UTF-8
// byte-order mark at the start is skipped. A line whose first non-blank byte is "[" starts a
// section, named by what follows up to "]" (or the line end); keys before the first section belong
// to none. In any other line the first "=" splits key and value: the value is every byte after it
// up to the line end, so a value reads back exactly as it was written, blanks, quotes, "=" and ";"
// included. Section and key names match without regard to ASCII case, with blanks (space, tab)
// around them ignored. Lines starting with ";" and lines without "=" hold no key. Of duplicate
// keys, also across duplicate sections, the first wins. A line is read as far as its first
// kLineLimit bytes after its leading blanks: a section or key name that does not end there ("]",
// "=") is longer than any asked for.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace palvoren {

// A yes or no for each byte value.
using ByteSet = std::array<bool, 256>;

// A value longer than this is read back as its first kMaxValueBytes bytes.
inline constexpr std::size_t kMaxValueBytes = 2047;
inline constexpr std::size_t kLineLimit = 65536;

// The keys a scan looks for. Each has an index, in the order they were added, and so has each
// section named by them.
class IniKeys {
public:
    struct Key {
        std::string section;  // as given, without surrounding blanks
        std::string name;
        std::size_t sectionIndex;
    };

    std::size_t Add(std::string_view section, std::string_view key);

    const std::vector<Key>& All() const { return keys_; }
    std::size_t SectionCount() const { return sectionIndex_.size(); }
    std::optional<std::size_t> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindIn(std::size_t sectionIndex, std::string_view key) const;

    // The bytes that can start a line holding one of the keys.
    const ByteSet& KeyStarts() const { return keyStarts_; }

private:
    std::vector<Key> keys_;
    std::map<std::pair<std::size_t, std::string>, std::size_t> keyIndex_;  // lower-case key
    std::unordered_map<std::string, std::size_t> sectionIndex_;            // lower case
    ByteSet keyStarts_{};
};

// What a scan found. Offsets count bytes from the start of the text, byte-order mark included.
struct IniScan {
    struct Value {
        std::string text;  // the first kMaxValueBytes bytes
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };
    std::vector<std::optional<Value>> values;  // by key index
    // By section index: where keys new to the section go, right after the last non-blank line of
    // its first occurrence (blank lines never move it).
    std::vector<std::optional<std::uint64_t>> sectionEnds;
    std::uint64_t size = 0;
    std::uint64_t bodyStart = 0;  // after the byte-order mark
    std::string newline;          // the line end of the first line; empty when there is none
    bool endsOpen = false;        // the last line has no line end
};

class IniScanner {
public:
    // The keys must outlive the scanner.
    explicit IniScanner(const IniKeys& keys);

    void Feed(std::string_view piece);
    // The text has ended.
    IniScan Finish();

private:
    void Append(std::string_view bytes);
    void EndLine(bool lineFeed, bool crBeforeLineFeed, std::uint64_t next);
    void EnterSection(std::string_view header, bool cut);
    void KeyLine(std::string_view text, std::uint64_t length);

    const IniKeys& keys_;
    IniScan scan_;
    std::uint64_t at_ = 0;  // offset of the next byte
    char last_ = '\n';      // the byte before it
    // The line being read: from its first non-blank byte, as far as kLineLimit.
    std::string line_;
    std::uint64_t lineStart_ = 0;
    std::uint64_t leading_ = 0;           // blanks before its first non-blank byte
    std::uint64_t length_ = 0;            // of the line from that byte
    std::optional<std::size_t> section_;  // the section the lines are in, when a wanted one
    std::optional<std::size_t> tracked_;  // ... and when its first occurrence
    ByteSet inWanted_{};  // the first bytes of lines worth a look, in a wanted section
    ByteSet elsewhere_{};
};

}  // namespace palvoren
