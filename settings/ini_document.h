// An INI text held in memory: sections ("[name]" lines) of "key=value" lines.
//
// Reading is forgiving. Section and key names match without regard to ASCII case, blanks around
// them are ignored, a UTF-8 byte-order mark at the start is skipped, lines end in LF or CRLF, lines
// starting with ";" and lines without "=" are skipped, and of duplicate keys (also across duplicate
// sections) the first wins. A value is every byte after the first "=" up to the line end, so a
// value reads back exactly as it was written: blanks, quotes, "=", ";" and any other bytes
// included.
//
// Writing changes only the values written: every other byte of the text stays as it was. A new key
// goes after the last non-blank line of the first section of its name; a new section goes at the
// end. Bytes are never re-encoded.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace palvoren {

class IniDocument {
public:
    IniDocument() = default;
    static IniDocument Parse(std::string bytes);

    // The value of the first key of that name in a section of that name, if there is one.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    // Sets a value. A value is one line: CR and LF in it become blanks, so a value can never
    // start a line of its own in the file.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    bool HasChanges() const { return !edits_.empty(); }

    // The whole text with the changes applied.
    std::string Serialize() const;

private:
    class Writer;
    struct Span {
        std::size_t offset;
        std::size_t length;
    };
    struct Edit {
        std::string section;
        std::string key;
        std::string value;
    };

    std::string bytes_;
    std::size_t bodyStart_ = 0;  // after a byte-order mark
    std::string newline_;
    std::unordered_map<std::string, Span> values_;  // "section\0key", lower case
    std::vector<Edit> edits_;                       // in the order first set
    std::unordered_map<std::string, std::size_t> editIndex_;
};

}  // namespace palvoren
