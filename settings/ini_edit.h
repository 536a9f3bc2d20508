// An INI text with new values for some of the keys a scan looked for, made a piece at a time from
// the text as it was scanned, so that a file of any size is rewritten with no more memory than
// its pieces and the new values.
//
// Only the values written change: every other byte of the text stays as it was, and bytes are
// never re-encoded. A key the text holds gets its new value where the old one stood (the first of
// duplicates). Keys new to a section go after the last non-blank line of its first occurrence;
// keys of sections the text lacks follow at the end, a section each, in the order of the sections'
// indexes. New keys come in the order of their indexes. New lines end as the text's first line
// does, or else as the system's own files do (CR LF on Windows, LF elsewhere). A value is one line:
// LF in it becomes a blank, and so does a CR at its end, which would merge with the line end, so a
// value can never start a line of its own. A CR inside it stays, as the reader keeps it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_io.h"
#include "settings/ini_scan.h"

namespace palvoren {

class IniEditor {
public:
    // values: the new value of each key by index; nothing keeps a key as it is. The scan and the
    // sink must outlive the editor.
    IniEditor(const IniKeys& keys, const IniScan& scan,
              const std::vector<std::optional<std::string>>& values, const TextSink& out);

    // The next piece of the text that was scanned. False once nothing more is wanted: the whole
    // scanned text has come (anything after it is not read), or a write failed.
    bool Feed(std::string_view piece);
    // The text has ended. False when a write failed or the text was shorter than when scanned.
    bool Finish();

private:
    struct Splice {
        std::uint64_t offset;
        std::uint64_t removed;
        std::string text;
    };

    void Put(std::string_view bytes);

    const IniScan& scan_;
    const TextSink& out_;
    std::string newline_;
    std::vector<Splice> splices_;  // by offset
    std::vector<std::string> newSections_;
    std::size_t next_ = 0;       // the next splice
    std::uint64_t at_ = 0;       // of the text read
    std::uint64_t skip_ = 0;     // bytes of an old value still to pass over
    std::uint64_t written_ = 0;  // bytes put out
    char lastWritten_ = '\n';
    bool ok_ = true;
};

}  // namespace palvoren
