#include "settings/win32.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace palvoren::win32 {

// Each asks the size first, then converts; a text too long for the calls' int lengths is none.
std::wstring Widen(std::string_view text, unsigned codePage) {
    const int length = text.size() <= INT_MAX ? static_cast<int>(text.size()) : 0;
    const int wide = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(wide, 0)), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), length, out.data(), wide);
    return out;
}

std::string Narrow(std::wstring_view text, unsigned codePage) {
    const int length = text.size() <= INT_MAX ? static_cast<int>(text.size()) : 0;
    const int bytes =
        ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), length, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::wstring LongPath(std::wstring path) {
    if (path.size() < MAX_PATH || path.starts_with(LR"(\\?\)"))
        return path;
    // The prefixed form is taken literally, so only paths that are already complete get it.
    if (path.size() > 2 && path[1] == L':' && path[2] == L'\\')
        return LR"(\\?\)" + path;
    if (path.starts_with(LR"(\\)"))
        return LR"(\\?\UNC\)" + path.substr(2);
    return path;
}

std::wstring WidePath(std::string_view utf8) {
    return LongPath(Widen(utf8, CP_UTF8));
}

std::wstring ModuleFileName() {
    // The function cuts the path to the buffer without failing, so the buffer grows until the
    // whole path and its terminator fit.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() >= 32768)  // the longest path the system has
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

Handle::~Handle() {
    if (Valid())
        ::CloseHandle(handle_);
}

bool Handle::Valid() const {
    return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE;
}

bool Handle::Close() {
    void* const handle = handle_;
    handle_ = nullptr;
    return ::CloseHandle(handle) != FALSE;
}

}  // namespace palvoren::win32
