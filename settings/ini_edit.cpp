#include "settings/ini_edit.h"

#include <algorithm>

namespace palvoren {
namespace {

#ifdef _WIN32
constexpr std::string_view kSystemNewline = "\r\n";
#else
constexpr std::string_view kSystemNewline = "\n";
#endif

std::string OneLine(std::string value) {
    std::replace(value.begin(), value.end(), '\n', ' ');
    if (!value.empty() && value.back() == '\r')
        value.back() = ' ';
    return value;
}

}  // namespace

IniEditor::IniEditor(const IniKeys& keys, const IniScan& scan,
                     const std::vector<std::optional<std::string>>& values, const TextSink& out)
    : scan_(scan), out_(out), newline_(scan.newline.empty() ? kSystemNewline : scan.newline) {
    std::vector<std::string> added(keys.SectionCount());  // the lines new to each section
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (!values[k])
            continue;
        const IniKeys::Key& key = keys.All()[k];
        const std::string value = OneLine(*values[k]);
        if (const std::optional<IniScan::Value>& old = scan.values[k]) {
            splices_.push_back({old->offset, old->length, value});
            continue;
        }
        std::string& lines = added[key.sectionIndex];
        if (lines.empty() && !scan.sectionEnds[key.sectionIndex])
            lines = '[' + key.section + ']' + newline_;
        lines += key.name + '=' + value + newline_;
    }
    for (std::size_t s = 0; s < added.size(); ++s) {
        const std::optional<std::uint64_t>& end = scan.sectionEnds[s];
        if (added[s].empty())
            continue;
        if (!end) {
            newSections_.push_back(std::move(added[s]));
            continue;
        }
        // A last line without a line end gets one before the new keys.
        const bool open = *end == scan.size && scan.endsOpen;
        splices_.push_back({*end, 0, (open ? newline_ : std::string()) + added[s]});
    }
    std::stable_sort(splices_.begin(), splices_.end(),
                     [](const Splice& a, const Splice& b) { return a.offset < b.offset; });
}

bool IniEditor::Feed(std::string_view piece) {
    piece = piece.substr(
        0, static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), scan_.size - at_)));
    while (ok_ && !piece.empty()) {
        std::uint64_t n = skip_;
        if (n > 0) {
            n = std::min<std::uint64_t>(n, piece.size());
            skip_ -= n;
        } else if (next_ < splices_.size() && splices_[next_].offset == at_) {
            Put(splices_[next_].text);
            skip_ = splices_[next_++].removed;
            continue;
        } else {
            const std::uint64_t until =
                next_ < splices_.size() ? splices_[next_].offset : scan_.size;
            n = std::min<std::uint64_t>(piece.size(), until - at_);
            Put(piece.substr(0, static_cast<std::size_t>(n)));
        }
        at_ += n;
        piece.remove_prefix(static_cast<std::size_t>(n));
    }
    return ok_ && at_ < scan_.size;
}

bool IniEditor::Finish() {
    while (next_ < splices_.size() && splices_[next_].offset == at_ && skip_ == 0) {
        Put(splices_[next_].text);
        skip_ = splices_[next_++].removed;
    }
    if (at_ != scan_.size || skip_ != 0 || next_ != splices_.size())
        return false;
    for (const std::string& section : newSections_) {
        // A text's last line may lack its line end; a section added after it must not join it.
        if (written_ > scan_.bodyStart && lastWritten_ != '\n')
            Put(newline_);
        Put(section);
    }
    return ok_;
}

void IniEditor::Put(std::string_view bytes) {
    if (bytes.empty() || !ok_)
        return;
    ok_ = out_(bytes);
    written_ += bytes.size();
    lastWritten_ = bytes.back();
}

}  // namespace palvoren
