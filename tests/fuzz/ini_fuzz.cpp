// libFuzzer target for the INI reader and writer. Beyond not crashing, it checks the writer's
// promise: after setting a value and writing the text out, reading it back gives that value; a
// document that indexes only the keys it is asked about writes exactly what a full one writes; and
// reading the values from pieces of the text finds what the whole document finds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/ini_document.h"
#include "settings/ini_value_reader.h"

namespace {

const palvoren::IniKeys& Keys() {
    static const palvoren::IniKeys keys = [] {
        palvoren::IniKeys k;
        k.Add("Value", "edit1");
        k.Add("Form", "Top");
        return k;
    }();
    return keys;
}

std::string Written(palvoren::IniDocument doc, const std::string& value) {
    doc.Find("Value", "edit1");
    doc.Find("Form", "Top");
    doc.Set("Value", "edit1", value);
    doc.Set("Form", "Top", "108");
    return doc.Serialize();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // The input's first bytes double as the value written, so values of every shape are tried.
    const std::string value = bytes.substr(0, std::min<std::size_t>(size, 64));
    const palvoren::IniDocument whole = palvoren::IniDocument::Parse(bytes);
    palvoren::IniValueReader reader(Keys());
    const std::size_t pieceSize = 1 + (size > 1 ? data[1] % 40 : 0);
    for (std::size_t at = 0; at < size; at += pieceSize)
        reader.Feed(std::string_view(bytes).substr(at, pieceSize));
    reader.Finish();
    if (reader.Find("Value", "edit1") != whole.Find("Value", "edit1") ||
        reader.Find("Form", "Top") != whole.Find("Form", "Top")) {
        __builtin_trap();
    }
    const std::string written = Written(whole, value);
    if (Written(palvoren::IniDocument::Parse(bytes, Keys()), value) != written)
        __builtin_trap();

    const palvoren::IniDocument again = palvoren::IniDocument::Parse(written);
    std::string expected = value;
    std::replace(expected.begin(), expected.end(), '\n', ' ');
    if (!expected.empty() && expected.back() == '\r')
        expected.back() = ' ';
    if (again.Find("Value", "edit1") != expected || again.Find("Form", "Top") != "108")
        __builtin_trap();
    return 0;
}
