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
//
// A document can be told up front which keys matter (IniKeys). It then keeps the text and the
// places of those keys only, so a file of any size costs about its own size, and reading it is one
// pass; asking it about any other key is a programming error (std::logic_error).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "settings/ini_keys.h"

namespace palvoren {

class IniDocument {
public:
    IniDocument() = default;
    // Every key of the text is indexed.
    static IniDocument Parse(std::string bytes);
    // Only the given keys are indexed.
    static IniDocument Parse(std::string bytes, const IniKeys& keys);

    // The value of the first key of that name in a section of that name, if there is one.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    // Sets a value. A value is one line: LF in it becomes a blank, and so does a CR at its end
    // (which would merge with the line end), so a value can never start a line of its own in the
    // file. A CR inside it stays, as the reader keeps it.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    bool HasChanges() const { return !edits_.empty(); }

    // The whole text with the changes applied.
    std::string Serialize() const;

private:
    class Scanner;
    struct Span {
        std::size_t offset;
        std::size_t length;
    };
    // Where keys new to a section go: after its last non-blank line. open: that line is the
    // text's last and has no line end.
    struct Insertion {
        std::size_t offset;
        bool open;
    };
    struct Edit {
        std::string section;
        std::string key;
        std::string value;
    };

    static IniDocument ParseWith(std::string bytes, const IniKeys* keys);
    void CheckIndexed(std::string_view section, std::string_view key) const;

    std::string bytes_;
    std::size_t bodyStart_ = 0;  // after a byte-order mark
    std::string newline_;
    bool endsOpen_ = false;  // the last line has no line end
    std::optional<IniKeys> keys_;
    std::unordered_map<std::string, Span> values_;           // "section\0key", lower case
    std::unordered_map<std::string, Insertion> insertions_;  // lower-case section name
    std::vector<Edit> edits_;                                // in the order first set
    std::unordered_map<std::string, std::size_t> editIndex_;
};

}  // namespace palvoren
