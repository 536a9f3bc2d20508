// libFuzzer target for the INI reader and writer. Beyond not crashing, it checks the writer's
// promise: after setting a value and writing the text out, reading it back gives that value.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    palvoren::IniDocument doc = palvoren::IniDocument::Parse(bytes);
    doc.Find("Value", "edit1");
    doc.Find("Form", "Top");

    // The input's first bytes double as the value written, so values of every shape are tried.
    const std::string value = bytes.substr(0, std::min<std::size_t>(size, 64));
    doc.Set("Value", "edit1", value);
    doc.Set("Form", "Top", "108");
    const palvoren::IniDocument again = palvoren::IniDocument::Parse(doc.Serialize());
    std::string expected = value;
    for (char& c : expected) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    if (again.Find("Value", "edit1") != expected || again.Find("Form", "Top") != "108") {
        __builtin_trap();
    }
    return 0;
}
