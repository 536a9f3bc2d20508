#include "settings/ini_scan.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

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

// The first line start after `from` (itself a line start) whose first byte is wanted; where none
// follows, the start of the text's last line, which may go on beyond it, or the text's end after
// a final LF. A huge settings file is mostly lines that nobody asked for: with SSE2 they are
// passed over sixty-four bytes at a time, and only the LFs before a wanted byte get a closer look.
std::size_t NextWantedLine(std::string_view text, std::size_t from, const ByteSet& wanted) {
    std::size_t last = from;
    const auto wantedAfter = [&](std::size_t lf) {
        last = lf + 1;
        return last == text.size() || wanted[Byte(text[last])];
    };
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const auto lineFeeds = [&](std::size_t at) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
        return static_cast<std::uint64_t>(
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lineFeed))));
    };
    for (; from + 64 <= text.size(); from += 64) {
        std::uint64_t mask = lineFeeds(from) | lineFeeds(from + 16) << 16 |
                             lineFeeds(from + 32) << 32 | lineFeeds(from + 48) << 48;
        for (; mask != 0; mask &= mask - 1) {
            if (wantedAfter(from + static_cast<std::size_t>(std::countr_zero(mask))))
                return last;
        }
    }
#endif
    for (std::size_t lf = text.find('\n', from); lf != std::string_view::npos;
         lf = text.find('\n', lf + 1)) {
        if (wantedAfter(lf))
            return last;
    }
    return last;
}

}  // namespace

std::size_t IniKeys::Add(std::string_view section, std::string_view key) {
    section = Trim(section);
    key = Trim(key);
    const auto place = sectionIndex_.try_emplace(Lower(section), sectionIndex_.size()).first;
    const auto [slot, newKey] = keyIndex_.try_emplace({place->second, Lower(key)}, keys_.size());
    if (!newKey)
        return slot->second;
    keys_.push_back({std::string(section), std::string(key), place->second});
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

std::optional<std::size_t> IniKeys::FindIn(std::size_t sectionIndex, std::string_view key) const {
    const auto found = keyIndex_.find({sectionIndex, Lower(Trim(key))});
    return found == keyIndex_.end() ? std::nullopt : std::optional(found->second);
}

IniScanner::IniScanner(const IniKeys& keys) : keys_(keys) {
    scan_.values.resize(keys.All().size());
    scan_.sectionEnds.resize(keys.SectionCount());
    // A line is worth a closer look when it may be blank, a section header or, in a section of
    // interest, one of the keys.
    for (const char c : {' ', '\t', '[', '\r', '\n'})
        elsewhere_[Byte(c)] = true;
    for (std::size_t b = 0; b < inWanted_.size(); ++b)
        inWanted_[b] = elsewhere_[b] || keys.KeyStarts()[b];
}

IniScan IniScanner::Finish() {
    EndLine(false, false, at_);  // the last line has no line end, so a CR in it is its own byte
    scan_.size = at_;
    scan_.endsOpen = at_ > scan_.bodyStart && last_ != '\n';
    return std::move(scan_);
}

// Lines that cannot matter (most of a huge file) are passed over in bulk; the others are kept, as
// far as the limit, and read when they end.
void IniScanner::Feed(std::string_view piece) {
    for (std::size_t i = 0; i < piece.size();) {
        const ByteSet& worth = section_ ? inWanted_ : elsewhere_;
        if (leading_ == 0 && length_ == 0 && !scan_.newline.empty() && !worth[Byte(piece[i])]) {
            const std::size_t next = NextWantedLine(piece, i, worth);
            if (next > i) {
                // None of those lines is blank, so the last of them ends where new keys go.
                if (tracked_)
                    scan_.sectionEnds[*tracked_] = at_ + next;
                lineStart_ = at_ + next;
                i = next;
                continue;
            }
        }
        const std::size_t lf = piece.find('\n', i);
        Append(piece.substr(i, (lf == std::string_view::npos ? piece.size() : lf) - i));
        if (lf == std::string_view::npos)
            break;
        EndLine(true, (lf > 0 ? piece[lf - 1] : last_) == '\r', at_ + lf + 1);
        i = lf + 1;
    }
    if (!piece.empty())
        last_ = piece.back();
    at_ += piece.size();
}

void IniScanner::Append(std::string_view bytes) {
    if (length_ == 0) {  // leading blanks are counted, not kept
        const std::size_t first = std::min(bytes.find_first_not_of(" \t"), bytes.size());
        leading_ += first;
        bytes.remove_prefix(first);
    }
    line_.append(bytes.substr(0, kLineLimit - std::min(kLineLimit, line_.size())));
    length_ += bytes.size();
}

void IniScanner::EndLine(bool lineFeed, bool crBeforeLineFeed, std::uint64_t next) {
    if (lineStart_ == 0 && leading_ == 0 && line_.starts_with(kByteOrderMark)) {
        scan_.bodyStart = kByteOrderMark.size();
        const std::size_t first = std::min(line_.find_first_not_of(" \t", 3), line_.size());
        line_.erase(0, first);
        leading_ = first;
        length_ -= first;
    }
    if (lineFeed && scan_.newline.empty())  // the first line end
        scan_.newline = crBeforeLineFeed && next - 1 > scan_.bodyStart ? "\r\n" : "\n";
    const std::uint64_t length = length_ - (crBeforeLineFeed && length_ > 0 ? 1 : 0);
    const std::string_view text = std::string_view(line_).substr(
        0, static_cast<std::size_t>(std::min<std::uint64_t>(length, line_.size())));
    if (length > 0) {  // blank lines never move where new keys go
        if (text.starts_with('['))
            EnterSection(text.substr(1), length > line_.size());
        else if (!text.empty() && text.front() != ';' && section_)
            KeyLine(text, length);
        if (tracked_)
            scan_.sectionEnds[*tracked_] = next;
    }
    line_.clear();
    leading_ = length_ = 0;
    lineStart_ = next;
}

void IniScanner::EnterSection(std::string_view header, bool cut) {
    const std::size_t close = header.find(']');
    section_ = close == std::string_view::npos && cut ? std::nullopt
                                                      : keys_.FindSection(header.substr(0, close));
    // New keys go to the first section of a name only.
    tracked_ = section_ && !scan_.sectionEnds[*section_] ? section_ : std::nullopt;
}

void IniScanner::KeyLine(std::string_view text, std::uint64_t length) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return;  // no "=", or none within the limit: no key asked for is that long
    const std::optional<std::size_t> key = keys_.FindIn(*section_, text.substr(0, equals));
    if (key && !scan_.values[*key]) {
        scan_.values[*key] =
            IniScan::Value{std::string(text.substr(equals + 1, kMaxValueBytes)),
                           lineStart_ + leading_ + equals + 1, length - equals - 1};
    }
}

}  // namespace palvoren
