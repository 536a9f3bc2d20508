#include "settings/ini_value_reader.h"

#include "settings/ini_lines.h"
#include "settings/line_starts.h"

namespace palvoren {

using ini::kByteOrderMark;
using ini::LineWalker;
using ini::Lower;
using ini::MapKey;

// Lines arrive in pieces of any size; a line cut by a piece's end waits in carry_ for its rest.
class IniValueReader::Walker {
public:
    Walker(IniValueReader& reader, const IniKeys& keys)
        : reader_(reader), walker_(*this, &keys), keyLines_(KeyLines(keys)) {}

    void Feed(std::string_view piece) {
        if (!carry_.empty()) {
            const std::size_t lf = piece.find('\n');
            if (lf == std::string_view::npos) {
                carry_.append(piece);
                return;
            }
            carry_.append(piece.substr(0, lf + 1));
            piece.remove_prefix(lf + 1);
            Lines(carry_, false);
            carry_.clear();
        }
        carry_.append(piece.substr(Lines(piece, false)));
    }

    void Finish() {
        Lines(carry_, true);
        carry_.clear();
    }

    void OnSection(const std::string&, bool) {}
    void OnContentLine(std::size_t) {}
    void OnValue(std::string mapKey, std::string_view value, std::size_t) {
        reader_.values_.try_emplace(std::move(mapKey), value);
    }

private:
    // Hands on the complete lines of the text (and at the end an open last one) that can matter;
    // returns where a line that can matter but is not complete yet starts.
    std::size_t Lines(std::string_view text, bool atEnd) {
        std::size_t pos = 0;
        if (skipping_) {
            const std::size_t lf = text.find('\n');
            if (lf == std::string_view::npos)
                return text.size();
            pos = lf + 1;
            skipping_ = false;
        }
        while (pos < text.size()) {
            const ByteSet& worthALook = walker_.InWantedSection() ? keyLines_ : sectionLines_;
            if (!first_ && !worthALook[static_cast<unsigned char>(text[pos])]) {
                pos = NextLineStartingWith(text, pos, worthALook);
                if (pos == std::string_view::npos) {
                    skipping_ = true;  // the last line goes on in the next piece
                    return text.size();
                }
                continue;
            }
            const std::size_t lf = text.find('\n', pos);
            if (lf == std::string_view::npos && !atEnd)
                return pos;
            std::size_t textEnd = lf == std::string_view::npos ? text.size() : lf;
            if (lf != std::string_view::npos && textEnd > pos && text[textEnd - 1] == '\r')
                --textEnd;
            std::string_view line = text.substr(pos, textEnd - pos);
            if (first_ && line.starts_with(kByteOrderMark))
                line.remove_prefix(kByteOrderMark.size());
            first_ = false;
            walker_.Line(line, 0, 0);
            pos = lf == std::string_view::npos ? text.size() : lf + 1;
        }
        return pos;
    }

    // The first bytes of the lines that can matter: a section header, possibly after blanks,
    // and in a section of interest a key of interest.
    static ByteSet SectionLines() {
        ByteSet bytes{};
        bytes[' '] = bytes['\t'] = bytes['['] = true;
        return bytes;
    }
    static ByteSet KeyLines(const IniKeys& keys) {
        ByteSet bytes = SectionLines();
        for (std::size_t c = 0; c < bytes.size(); ++c)
            bytes[c] = bytes[c] || keys.MayStartKeyLine(static_cast<char>(c));
        return bytes;
    }

    IniValueReader& reader_;
    LineWalker<Walker> walker_;
    const ByteSet sectionLines_ = SectionLines();
    const ByteSet keyLines_;
    std::string carry_;
    bool first_ = true;
    bool skipping_ = false;  // within a line that cannot matter, cut by a piece's end
};

IniValueReader::IniValueReader(const IniKeys& keys)
    : keys_(keys), walker_(std::make_unique<Walker>(*this, keys_)) {}

IniValueReader::~IniValueReader() = default;

void IniValueReader::Feed(std::string_view piece) {
    walker_->Feed(piece);
}

void IniValueReader::Finish() {
    walker_->Finish();
}

std::optional<std::string> IniValueReader::Find(std::string_view section,
                                                std::string_view key) const {
    const auto found = values_.find(MapKey(Lower(section), Lower(key)));
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

}  // namespace palvoren
