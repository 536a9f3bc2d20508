#include "settings/file_text.h"

#ifdef _WIN32
#include <windows.h>

#include <climits>
#endif

namespace palvoren {

#ifdef _WIN32

namespace {

std::wstring Widen(std::string_view text, UINT codePage) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(text.size());
    const int wide = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), length, out.data(), wide);
    return out;
}

std::string Narrow(const std::wstring& text, UINT codePage) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(text.size());
    const int bytes =
        ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), length, out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

std::string FileTextToUtf8(std::string_view fileText) {
    return Narrow(Widen(fileText, CP_ACP), CP_UTF8);
}

std::string Utf8ToFileText(std::string_view utf8) {
    return Narrow(Widen(utf8, CP_UTF8), CP_ACP);
}

#else

// The system's code page is UTF-8 already.
std::string FileTextToUtf8(std::string_view fileText) {
    return std::string(fileText);
}

std::string Utf8ToFileText(std::string_view utf8) {
    return std::string(utf8);
}

#endif

}  // namespace palvoren
