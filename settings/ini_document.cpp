#include "settings/ini_document.h"

#include <algorithm>
#include <unordered_set>

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

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower;
}

std::string MapKey(std::string_view section, std::string_view key) {
    return Lower(Trim(section)) + '\0' + Lower(Trim(key));
}

// One physical line: its text without the line end, and the line end ("", "\n" or "\r\n").
struct Line {
    std::string_view text;
    std::string_view end;
};

// Walks the lines of a text; a file's last line may have no line end.
class LineReader {
public:
    explicit LineReader(std::string_view text) : rest_(text) {}
    bool Next(Line& line) {
        if (rest_.empty())
            return false;
        const std::size_t lf = rest_.find('\n');
        std::size_t textLength = lf == std::string_view::npos ? rest_.size() : lf;
        std::size_t endLength = lf == std::string_view::npos ? 0 : 1;
        if (endLength == 1 && textLength > 0 && rest_[textLength - 1] == '\r') {
            --textLength;
            ++endLength;
        }
        line = {rest_.substr(0, textLength), rest_.substr(textLength, endLength)};
        rest_.remove_prefix(textLength + endLength);
        return true;
    }

private:
    std::string_view rest_;
};

enum class LineKind { Blank, Comment, Section, Key, Other };

struct ParsedLine {
    LineKind kind;
    std::string_view name;  // section or key name, trimmed
    std::size_t equals;     // position of the first "=" for a key line
};

ParsedLine Classify(std::string_view text) {
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty())
        return {LineKind::Blank, {}, 0};
    if (trimmed.front() == ';')
        return {LineKind::Comment, {}, 0};
    if (trimmed.front() == '[') {
        std::string_view name = trimmed.substr(1);
        name = name.substr(0, name.find(']'));
        return {LineKind::Section, Trim(name), 0};
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return {LineKind::Other, {}, 0};
    return {LineKind::Key, Trim(text.substr(0, equals)), equals};
}

std::string OneLine(std::string_view value) {
    std::string line(value);
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line;
}

}  // namespace

IniDocument IniDocument::Parse(std::string bytes) {
    IniDocument doc;
    doc.bytes_ = std::move(bytes);
    const std::string_view all(doc.bytes_);
    if (all.starts_with(kByteOrderMark))
        doc.bodyStart_ = kByteOrderMark.size();
    LineReader reader(all.substr(doc.bodyStart_));
    Line line;
    std::optional<std::string> section;  // keys before the first section belong to none
    while (reader.Next(line)) {
        if (doc.newline_.empty() && !line.end.empty())
            doc.newline_ = line.end;
        const ParsedLine parsed = Classify(line.text);
        if (parsed.kind == LineKind::Section) {
            section = std::string(parsed.name);
        } else if (parsed.kind == LineKind::Key && section) {
            const std::size_t valueStart =
                static_cast<std::size_t>(line.text.data() - all.data()) + parsed.equals + 1;
            doc.values_.try_emplace(MapKey(*section, parsed.name),
                                    Span{valueStart, line.text.size() - parsed.equals - 1});
        }
    }
    if (doc.newline_.empty())
        doc.newline_ = kDefaultNewline;
    return doc;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    const std::string mapKey = MapKey(section, key);
    if (const auto edit = editIndex_.find(mapKey); edit != editIndex_.end()) {
        return edits_[edit->second].value;
    }
    const auto found = values_.find(mapKey);
    if (found == values_.end())
        return std::nullopt;
    return bytes_.substr(found->second.offset, found->second.length);
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string mapKey = MapKey(section, key);
    const auto [it, added] = editIndex_.try_emplace(mapKey, edits_.size());
    if (added) {
        edits_.push_back({std::string(Trim(section)), std::string(Trim(key)), OneLine(value)});
    } else {
        edits_[it->second].value = OneLine(value);
    }
}

// Copies the old text line by line, putting the document's edits in. Blank lines are held back
// within a section so that keys new to the section can go in front of them, right after the
// section's last line of content.
class IniDocument::Writer {
public:
    explicit Writer(const IniDocument& doc)
        : doc_(doc), out_(doc.bytes_.substr(0, doc.bodyStart_)), written_(doc.edits_.size()) {
        out_.reserve(doc.bytes_.size() + doc.edits_.size() * 32);
    }

    std::string Run() && {
        LineReader reader(std::string_view(doc_.bytes_).substr(doc_.bodyStart_));
        Line line;
        while (reader.Next(line))
            CopyLine(line);
        CloseSection();
        AddNewSections();
        return std::move(out_);
    }

private:
    void CopyLine(const Line& line) {
        const ParsedLine parsed = Classify(line.text);
        if (parsed.kind == LineKind::Blank) {
            heldBlanks_.append(line.text).append(line.end);
            return;
        }
        if (parsed.kind == LineKind::Section) {
            CloseSection();
            inSection_ = true;
            section_ = Lower(parsed.name);
            takesNewKeys_ = seenSections_.insert(section_).second;
        }
        out_ += heldBlanks_;
        heldBlanks_.clear();
        if (parsed.kind == LineKind::Key && inSection_) {
            const auto edit = doc_.editIndex_.find(MapKey(section_, parsed.name));
            if (edit != doc_.editIndex_.end() && !written_[edit->second]) {
                written_[edit->second] = true;
                out_.append(line.text.substr(0, parsed.equals + 1))
                    .append(doc_.edits_[edit->second].value)
                    .append(line.end);
                return;
            }
        }
        out_.append(line.text).append(line.end);
    }

    void CloseSection() {
        if (inSection_ && takesNewKeys_)
            AddNewKeys(section_);
        out_ += heldBlanks_;
        heldBlanks_.clear();
    }

    // Keys the file does not have yet; one it has is replaced where it stands, even in a later
    // section of the same name.
    void AddNewKeys(std::string_view lowerSection) {
        for (std::size_t i = 0; i < doc_.edits_.size(); ++i) {
            const Edit& edit = doc_.edits_[i];
            if (written_[i] || Lower(edit.section) != lowerSection ||
                doc_.values_.contains(MapKey(edit.section, edit.key))) {
                continue;
            }
            EndOpenLine();
            out_ += edit.key + '=' + edit.value + doc_.newline_;
            written_[i] = true;
        }
    }

    void AddNewSections() {
        for (std::size_t i = 0; i < doc_.edits_.size(); ++i) {
            if (written_[i])
                continue;
            EndOpenLine();
            out_ += '[' + doc_.edits_[i].section + ']' + doc_.newline_;
            AddNewKeys(Lower(doc_.edits_[i].section));
        }
    }

    // A file's last line may lack its line end; a line added after it must not join it.
    void EndOpenLine() {
        if (out_.size() > doc_.bodyStart_ && out_.back() != '\n')
            out_ += doc_.newline_;
    }

    const IniDocument& doc_;
    std::string out_;
    std::vector<bool> written_;
    std::unordered_set<std::string> seenSections_;
    std::string section_;  // lower-case name of the section being copied
    bool inSection_ = false;
    bool takesNewKeys_ = false;  // only the first section of a name takes new keys
    std::string heldBlanks_;
};

std::string IniDocument::Serialize() const {
    return Writer(*this).Run();
}

}  // namespace palvoren
