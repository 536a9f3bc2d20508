#include "settings/file_text.h"

#ifdef _WIN32
#include <windows.h>

#include "settings/win32.h"
#endif

namespace palvoren {

#ifdef _WIN32

// Through UTF-16, the only form both code pages convert to and from.
std::string FileTextToUtf8(std::string_view fileText, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf16)
        return std::string(fileText);
    return win32::Narrow(win32::Widen(fileText, CP_ACP), CP_UTF8);
}

std::string Utf8ToFileText(std::string_view utf8, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf16)
        return std::string(utf8);
    return win32::Narrow(win32::Widen(utf8, CP_UTF8), CP_ACP);
}

#else

// The system's code page is UTF-8 already.
std::string FileTextToUtf8(std::string_view fileText, TextEncoding) {
    return std::string(fileText);
}

std::string Utf8ToFileText(std::string_view utf8, TextEncoding) {
    return std::string(utf8);
}

#endif

}  // namespace palvoren
