// libFuzzer target for the INI scanner and editor. Beyond not crashing, it checks the scanner
// against a plain reading of the whole text line by line, whatever the pieces it arrives in, and
// the editor's promise: after a value is written and the text read back, the value is there.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_edit.h"

namespace {

using palvoren::IniScan;

const palvoren::IniKeys& Keys() {
    static const palvoren::IniKeys keys = [] {
        palvoren::IniKeys k;
        k.Add("Value", "edit1");
        k.Add("Form", "Top");
        return k;
    }();
    return keys;
}

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return lower;
}

// The first value of the key, read as simply as the rules can be put.
std::optional<std::string> PlainRead(std::string_view text, std::string_view section,
                                     std::string_view key) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::optional<std::string> current;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        if (lf != std::string_view::npos && line.ends_with('\r'))
            line.remove_suffix(1);
        const std::string_view content = Trim(line);
        if (content.starts_with('[')) {
            const std::string_view name = Trim(content.substr(1));
            current = Lower(Trim(name.substr(0, name.find(']'))));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (content.empty() || content.front() == ';' || equals == std::string_view::npos ||
            current != Lower(section) || Lower(Trim(line.substr(0, equals))) != Lower(key))
            continue;
        return std::string(line.substr(equals + 1, palvoren::kMaxValueBytes));
    }
    return std::nullopt;
}

IniScan ScanOf(std::string_view text, std::size_t pieceSize) {
    palvoren::IniScanner scanner(Keys());
    for (std::size_t at = 0; at < text.size(); at += pieceSize)
        scanner.Feed(text.substr(at, pieceSize));
    return scanner.Finish();
}

std::optional<std::string> Found(const IniScan& scan, std::size_t key) {
    return scan.values[key] ? std::optional(scan.values[key]->text) : std::nullopt;
}

std::string Edited(std::string_view text, const std::string& value, std::size_t pieceSize) {
    const IniScan scan = ScanOf(text, pieceSize);
    std::string out;
    const palvoren::TextSink sink = [&](std::string_view bytes) {
        out.append(bytes);
        return true;
    };
    palvoren::IniEditor editor(Keys(), scan, {value, std::string("108")}, sink);
    for (std::size_t at = 0; at < text.size() && editor.Feed(text.substr(at, pieceSize));)
        at += pieceSize;
    if (!editor.Finish())
        __builtin_trap();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The input's first bytes double as the value written and the size of the pieces, so values
    // of every shape and every cut are tried.
    const std::string value(text.substr(0, 64));
    const std::size_t pieceSize = 1 + (size > 1 ? data[1] % 40 : 0);
    const IniScan scan = ScanOf(text, pieceSize);
    if (Found(scan, 0) != PlainRead(text, "Value", "edit1") ||
        Found(scan, 1) != PlainRead(text, "Form", "Top"))
        __builtin_trap();

    const std::string written = Edited(text, value, pieceSize);
    if (Edited(text, value, size + 1) != written)
        __builtin_trap();
    std::string expected = value;
    std::replace(expected.begin(), expected.end(), '\n', ' ');
    if (!expected.empty() && expected.back() == '\r')
        expected.back() = ' ';
    const IniScan again = ScanOf(written, 64);
    if (Found(again, 0) != expected || Found(again, 1) != "108")
        __builtin_trap();
    return 0;
}
