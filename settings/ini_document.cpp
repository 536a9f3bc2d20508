#include "settings/ini_document.h"

#include <algorithm>
#include <stdexcept>

#include "settings/ini_lines.h"

namespace palvoren {
namespace {

using ini::IsBlank;
using ini::kByteOrderMark;
using ini::LineWalker;
using ini::Lower;
using ini::MapKey;
using ini::Trim;

#ifdef _WIN32
constexpr std::string_view kDefaultNewline = "\r\n";
#else
constexpr std::string_view kDefaultNewline = "\n";
#endif

std::string OneLine(std::string_view value) {
    std::string line(value);
    std::replace(line.begin(), line.end(), '\n', ' ');
    if (!line.empty() && line.back() == '\r')
        line.back() = ' ';
    return line;
}

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
