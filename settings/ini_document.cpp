#include "settings/ini_document.h"

#include "settings/line_starts.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace palvoren {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

#ifdef _WIN32
constexpr std::string_view kDefaultNewline = "\r\n";
#else
constexpr std::string_view kDefaultNewline = "\n";
#endif

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char LowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Lower-cases into a buffer the caller keeps, so that the scan allocates nothing per line.
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

std::string OneLine(std::string_view value) {
    std::string line(value);
    std::replace(line.begin(), line.end(), '\n', ' ');
    if (!line.empty() && line.back() == '\r')
        line.back() = ' ';
    return line;
}

}  // namespace

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

namespace {

// Where a key line's key ends: the first "=", found without reading the whole line when the key
// could not be one of interest anyway (longer than the longest). npos: no key of interest.
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

}  // namespace

// One pass over the whole text, line by line where a section matters and from one "[" to the next
// where it does not: that keeps a huge file of keys nobody asked for cheap.
class IniDocument::Scanner {
public:
    Scanner(IniDocument& doc, const IniKeys* keys)
        : doc_(doc), text_(doc.bytes_), walker_(*this, keys), pos_(doc.bodyStart_) {}

    void Run() {
        while (pos_ < text_.size()) {
            if (!walker_.InWantedSection() && !SkipToSectionLine())
                return;
            const std::size_t lf = text_.find('\n', pos_);
            const std::size_t lineEnd = lf == std::string_view::npos ? text_.size() : lf + 1;
            std::size_t textEnd = lf == std::string_view::npos ? text_.size() : lf;
            if (lf != std::string_view::npos && textEnd > pos_ && text_[textEnd - 1] == '\r')
                --textEnd;
            walker_.Line(text_.substr(pos_, textEnd - pos_), pos_, lineEnd);
            pos_ = lineEnd;
        }
    }

    void OnSection(const std::string& lowerName, bool wanted) {
        insertion_ = nullptr;
        if (!wanted)
            return;
        const auto [it, first] = doc_.insertions_.try_emplace(lowerName, Insertion{0, false});
        if (first)
            insertion_ = &it->second;
    }
    void OnContentLine(std::size_t lineEnd) {
        if (insertion_ != nullptr)
            *insertion_ = {lineEnd, lineEnd == text_.size() && doc_.endsOpen_};
    }
    void OnValue(std::string mapKey, std::string_view value, std::size_t offset) {
        doc_.values_.try_emplace(std::move(mapKey), Span{offset, value.size()});
    }

private:
    // Moves to the next line whose first non-blank byte is "["; false when there is none.
    bool SkipToSectionLine() {
        std::size_t from = pos_;
        for (;;) {
            const std::size_t bracket = text_.find('[', from);
            if (bracket == std::string_view::npos)
                return false;
            std::size_t start = bracket;
            while (start > pos_ && IsBlank(text_[start - 1]))
                --start;
            if (start == pos_ || text_[start - 1] == '\n') {
                pos_ = start;
                return true;
            }
            from = bracket + 1;
        }
    }

    IniDocument& doc_;
    const std::string_view text_;
    LineWalker<Scanner> walker_;
    std::size_t pos_;
    Insertion* insertion_ = nullptr;  // while in the first section of its name
};

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

IniDocument IniDocument::Parse(std::string bytes) {
    return ParseWith(std::move(bytes), nullptr);
}

IniDocument IniDocument::Parse(std::string bytes, const IniKeys& keys) {
    return ParseWith(std::move(bytes), &keys);
}

IniDocument IniDocument::ParseWith(std::string bytes, const IniKeys* keys) {
    IniDocument doc;
    if (keys != nullptr)
        doc.keys_ = *keys;
    doc.bytes_ = std::move(bytes);
    const std::string_view all(doc.bytes_);
    if (all.starts_with(kByteOrderMark))
        doc.bodyStart_ = kByteOrderMark.size();
    // The file's own line end, from its first line, is the one new lines get.
    const std::size_t lf = all.find('\n', doc.bodyStart_);
    if (lf == std::string_view::npos)
        doc.newline_ = kDefaultNewline;
    else
        doc.newline_ = lf > doc.bodyStart_ && all[lf - 1] == '\r' ? "\r\n" : "\n";
    doc.endsOpen_ = all.size() > doc.bodyStart_ && all.back() != '\n';
    Scanner(doc, keys).Run();
    return doc;
}

void IniDocument::CheckIndexed(std::string_view section, std::string_view key) const {
    if (keys_ && !keys_->Has(Lower(section), Lower(key)))
        throw std::logic_error("INI key asked for but not indexed: " + std::string(key));
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    CheckIndexed(section, key);
    const std::string mapKey = MapKey(Lower(section), Lower(key));
    if (const auto edit = editIndex_.find(mapKey); edit != editIndex_.end())
        return edits_[edit->second].value;
    const auto found = values_.find(mapKey);
    if (found == values_.end())
        return std::nullopt;
    return bytes_.substr(found->second.offset, found->second.length);
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    CheckIndexed(section, key);
    const std::string mapKey = MapKey(Lower(section), Lower(key));
    const auto [it, added] = editIndex_.try_emplace(mapKey, edits_.size());
    if (added)
        edits_.push_back({std::string(Trim(section)), std::string(Trim(key)), OneLine(value)});
    else
        edits_[it->second].value = OneLine(value);
}

std::string IniDocument::Serialize() const {
    // The edits become splices into the old text: a value replaced where it stands, or keys new to
    // a section put in after its last line. Keys of sections the text lacks follow at the end.
    struct Splice {
        std::size_t offset;
        std::size_t removed;
        std::string text;
    };
    std::vector<Splice> splices;
    std::unordered_map<std::string, std::size_t> spliceOfSection;
    std::vector<std::pair<std::string, std::string>> newSections;  // lower name, text
    for (const Edit& edit : edits_) {
        const std::string section = Lower(edit.section);
        const std::string line = edit.key + '=' + edit.value + newline_;
        if (const auto v = values_.find(MapKey(section, Lower(edit.key))); v != values_.end()) {
            splices.push_back({v->second.offset, v->second.length, edit.value});
        } else if (const auto at = insertions_.find(section); at != insertions_.end()) {
            const auto [slot, first] = spliceOfSection.try_emplace(section, splices.size());
            if (first)
                splices.push_back({at->second.offset, 0, at->second.open ? newline_ : ""});
            splices[slot->second].text += line;
        } else {
            const auto known = std::find_if(newSections.begin(), newSections.end(),
                                            [&](const auto& s) { return s.first == section; });
            if (known == newSections.end())
                newSections.emplace_back(section, '[' + edit.section + ']' + newline_ + line);
            else
                known->second += line;
        }
    }
    std::stable_sort(splices.begin(), splices.end(),
                     [](const Splice& a, const Splice& b) { return a.offset < b.offset; });
    std::string out;
    out.reserve(bytes_.size() + edits_.size() * 32);
    std::size_t copied = 0;
    for (const Splice& splice : splices) {
        out.append(bytes_, copied, splice.offset - copied).append(splice.text);
        copied = splice.offset + splice.removed;
    }
    out.append(bytes_, copied);
    for (const auto& [name, text] : newSections) {
        // A text's last line may lack its line end; a section added after it must not join it.
        if (out.size() > bodyStart_ && out.back() != '\n')
            out += newline_;
        out += text;
    }
    return out;
}

}  // namespace palvoren
