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

std::string IniDocument::Serialize() const {
    // One pass over the old text. Blank lines are held back within a section so that keys new to
    // the section can go in front of them, right after the section's last line of content.
    std::string out(bytes_.substr(0, bodyStart_));
    out.reserve(bytes_.size() + edits_.size() * 32);
    std::vector<bool> written(edits_.size(), false);
    std::unordered_set<std::string> seenSections;
    std::string sectionKey;  // lower-case name of the section being copied, if it takes new keys
    bool inSection = false;
    bool takesNewKeys = false;
    std::string heldBlanks;

    const auto endLineIfOpen = [&] {
        if (!out.empty() && out.back() != '\n' && out.size() > bodyStart_)
            out += newline_;
    };
    const auto addNewKeys = [&](std::string_view lowerSection) {
        for (std::size_t i = 0; i < edits_.size(); ++i) {
            // A key the file already has is replaced where it stands, even in a later duplicate.
            if (written[i] || Lower(edits_[i].section) != lowerSection ||
                values_.contains(MapKey(edits_[i].section, edits_[i].key))) {
                continue;
            }
            endLineIfOpen();
            out += edits_[i].key + '=' + edits_[i].value + newline_;
            written[i] = true;
        }
    };
    const auto closeSection = [&] {
        if (inSection && takesNewKeys)
            addNewKeys(sectionKey);
        out += heldBlanks;
        heldBlanks.clear();
    };

    LineReader reader(std::string_view(bytes_).substr(bodyStart_));
    Line line;
    while (reader.Next(line)) {
        const ParsedLine parsed = Classify(line.text);
        if (parsed.kind == LineKind::Blank) {
            heldBlanks.append(line.text).append(line.end);
            continue;
        }
        if (parsed.kind == LineKind::Section) {
            closeSection();
            inSection = true;
            sectionKey = Lower(parsed.name);
            takesNewKeys = seenSections.insert(sectionKey).second;
        }
        out += heldBlanks;
        heldBlanks.clear();
        if (parsed.kind == LineKind::Key && inSection) {
            const auto edit = editIndex_.find(MapKey(sectionKey, parsed.name));
            if (edit != editIndex_.end() && !written[edit->second]) {
                written[edit->second] = true;
                out.append(line.text.substr(0, parsed.equals + 1))
                    .append(edits_[edit->second].value)
                    .append(line.end);
                continue;
            }
        }
        out.append(line.text).append(line.end);
    }
    closeSection();

    for (std::size_t i = 0; i < edits_.size(); ++i) {
        if (written[i])
            continue;
        endLineIfOpen();
        out += '[' + edits_[i].section + ']' + newline_;
        addNewKeys(Lower(edits_[i].section));
    }
    return out;
}

}  // namespace palvoren
