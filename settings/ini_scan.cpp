#include "settings/ini_scan.h"

#include <algorithm>

namespace palvoren {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char LowerChar(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerChar);
    return lower;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::size_t Byte(char c) {
    return static_cast<unsigned char>(c);
}

}  // namespace

std::size_t IniKeys::Add(std::string_view section, std::string_view key) {
    section = Trim(section);
    key = Trim(key);
    const auto [place, newSection] = sectionIndex_.try_emplace(Lower(section), sections_.size());
    if (newSection)
        sections_.emplace_back(section);
    const auto [slot, newKey] = keyIndex_.try_emplace({place->second, Lower(key)}, keys_.size());
    if (!newKey)
        return slot->second;
    keys_.push_back({std::string(section), std::string(key), place->second});
    longest_ = std::max({longest_, section.size(), key.size()});
    const char first = key.empty() ? '=' : key.front();
    keyStarts_[Byte(LowerChar(first))] = true;
    keyStarts_[Byte(first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first)] =
        true;
    return slot->second;
}

std::optional<std::size_t> IniKeys::FindSection(std::string_view section) const {
    const auto found = sectionIndex_.find(Lower(Trim(section)));
    return found == sectionIndex_.end() ? std::nullopt : std::optional(found->second);
}

std::optional<std::size_t> IniKeys::Find(std::string_view section, std::string_view key) const {
    const std::optional<std::size_t> sectionIndex = FindSection(section);
    return sectionIndex ? FindIn(*sectionIndex, key) : std::nullopt;
}

std::optional<std::size_t> IniKeys::FindIn(std::size_t sectionIndex, std::string_view key) const {
    const auto found = keyIndex_.find({sectionIndex, Lower(Trim(key))});
    return found == keyIndex_.end() ? std::nullopt : std::optional(found->second);
}

IniScanner::IniScanner(const IniKeys& keys) : keys_(keys) {
    scan_.values.resize(keys.All().size());
    scan_.sectionEnds.resize(keys.SectionCount());
    // A line is worth a closer look when it may be blank, a section header or, in a section of
    // interest, one of the keys; a huge file is mostly lines that are none of these.
    for (const char c : {' ', '\t', '[', '\r', '\n'})
        elsewhere_[Byte(c)] = true;
    for (std::size_t b = 0; b < inWanted_.size(); ++b)
        inWanted_[b] = elsewhere_[b] || keys.KeyStarts()[b];
}

void IniScanner::Feed(std::string_view piece) {
    if (start_.size() < kByteOrderMark.size()) {
        const std::size_t take = std::min(piece.size(), kByteOrderMark.size() - start_.size());
        start_.append(piece.substr(0, take));
        piece.remove_prefix(take);
        if (start_.size() < kByteOrderMark.size())
            return;
        if (start_ == kByteOrderMark) {
            scan_.bodyStart = at_ = kByteOrderMark.size();
        } else {
            Process(start_);
        }
    }
    Process(piece);
}

IniScan IniScanner::Finish() {
    if (start_.size() < kByteOrderMark.size()) {  // a text too short for a byte-order mark
        Process(start_);
        start_.assign(kByteOrderMark.size(), '\0');
    }
    // The last line has no line end, so a CR in it is its own byte.
    switch (state_) {
        case State::LineStart:
            content_ = content_ || cr_;
            break;
        case State::Header:
            if (cr_)
                NameByte('\r');
            EnterSection();
            break;
        case State::Value:
            EndValue(false);
            break;
        default:
            break;
    }
    if (content_ && tracked_)
        scan_.sectionEnds[*tracked_] = at_;
    scan_.size = at_;
    scan_.endsOpen = at_ > scan_.bodyStart && last_ != '\n';
    return std::move(scan_);
}

void IniScanner::Process(std::string_view piece) {
    for (std::size_t i = 0; i < piece.size();)
        i = Step(piece, i);
    if (!piece.empty())
        last_ = piece.back();
    at_ += piece.size();
}

// Reads on from piece[i] and returns where to go on from. The states that read whole stretches
// (a value, the rest of a line, lines passed over) do so at once; the others go a byte at a time.
std::size_t IniScanner::Step(std::string_view piece, std::size_t i) {
    const char c = piece[i];
    if (state_ == State::Value)
        return ReadValue(piece, i);
    if (state_ == State::Rest || c == '\n') {
        const std::size_t lf = piece.find('\n', i);
        if (lf == std::string_view::npos)
            return piece.size();
        if (state_ == State::Header)
            EnterSection();  // a header without "]"; a CR before the LF is no part of it
        if (scan_.newline.empty())
            scan_.newline = (lf > 0 ? piece[lf - 1] : last_) == '\r' && at_ + lf > scan_.bodyStart
                                ? "\r\n"
                                : "\n";
        EndLine(at_ + lf + 1);
        return lf + 1;
    }
    if (cr_ && state_ != State::Key) {  // the CR did not end the line: it belongs to it
        cr_ = false;
        if (state_ == State::LineStart) {
            content_ = true;
            state_ = State::Rest;
            return i;
        }
        NameByte('\r');
    }
    switch (state_) {
        case State::LineStart:
            if (fresh_ && !scan_.newline.empty() && !(section_ ? inWanted_ : elsewhere_)[Byte(c)])
                return SkipLines(piece, i);
            fresh_ = false;
            if (c == '\r' || IsBlank(c)) {
                cr_ = c == '\r';
                return i + 1;
            }
            content_ = true;
            state_ = c == '[' ? State::Header : c != ';' && section_ ? State::Key : State::Rest;
            return c == '[' ? i + 1 : i;
        case State::Header:
            if (c == ']') {
                EnterSection();
                state_ = State::Rest;
            } else if (c == '\r') {
                cr_ = true;
            } else {
                NameByte(c);
            }
            return i + 1;
        default:  // State::Key: a CR before the "=" is part of the name, as it is no blank
            if (c != '=') {
                NameByte(c);
                return i + 1;
            }
            valueKey_ = tooLong_ ? std::nullopt : keys_.FindIn(*section_, name_);
            ClearName();
            if (valueKey_ && !scan_.values[*valueKey_]) {
                scan_.values[*valueKey_] = IniScan::Value{{}, at_ + i + 1, 0};
                state_ = State::Value;
            } else {
                state_ = State::Rest;
            }
            return i + 1;
    }
}

// At the start of a line that cannot matter: it and every such line after it are passed over at
// once. None of them is blank, so the last one ends where new keys would go.
std::size_t IniScanner::SkipLines(std::string_view piece, std::size_t i) {
    const std::size_t next = NextLineStartingWith(piece, i, section_ ? inWanted_ : elsewhere_);
    if (next == std::string_view::npos) {  // the last of them goes on in the next piece
        fresh_ = false;
        content_ = true;
        state_ = State::Rest;
        return piece.size();
    }
    if (tracked_)
        scan_.sectionEnds[*tracked_] = at_ + next;
    return next;
}

std::size_t IniScanner::ReadValue(std::string_view piece, std::size_t i) {
    const std::size_t lf = piece.find('\n', i);
    const std::size_t end = lf == std::string_view::npos ? piece.size() : lf;
    IniScan::Value& value = *scan_.values[*valueKey_];
    // One byte beyond the limit, in case the last one kept turns out to be the CR of the line end.
    const std::size_t room = kMaxValueBytes + 1 - std::min(value.text.size(), kMaxValueBytes + 1);
    value.text.append(piece.substr(i, std::min(room, end - i)));
    value.length += end - i;
    if (lf == std::string_view::npos)
        return piece.size();
    EndValue((lf > 0 ? piece[lf - 1] : last_) == '\r');
    return lf;  // the line end itself is the next step's
}

void IniScanner::EndValue(bool endsInCarriageReturn) {
    IniScan::Value& value = *scan_.values[*valueKey_];
    if (endsInCarriageReturn && value.length > 0)
        --value.length;
    value.text.resize(std::min<std::uint64_t>({value.text.size(), value.length, kMaxValueBytes}));
    valueKey_.reset();
    state_ = State::Rest;
}

// Blanks inside a name belong to it, those around it do not. The name is kept only as long as
// the longest of interest, so a huge one costs nothing; being longer, it is none of them.
void IniScanner::NameByte(char c) {
    if (IsBlank(c)) {
        if (!name_.empty() && blanks_.size() <= keys_.LongestName())
            blanks_ += c;
        return;
    }
    name_ += blanks_;
    name_ += c;
    blanks_.clear();
    if (name_.size() > keys_.LongestName()) {
        tooLong_ = true;
        name_.resize(keys_.LongestName());
    }
}

void IniScanner::ClearName() {
    name_.clear();
    blanks_.clear();
    tooLong_ = false;
}

void IniScanner::EnterSection() {
    section_ = tooLong_ ? std::nullopt : keys_.FindSection(name_);
    // New keys go to the first section of a name only.
    tracked_ = section_ && !scan_.sectionEnds[*section_] ? section_ : std::nullopt;
    ClearName();
}

void IniScanner::EndLine(std::uint64_t next) {
    if (content_ && tracked_)
        scan_.sectionEnds[*tracked_] = next;
    ClearName();  // of a key line without "="
    state_ = State::LineStart;
    fresh_ = true;
    content_ = false;
    cr_ = false;
}

}  // namespace palvoren
