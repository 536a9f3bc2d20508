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

std::wstring FinalPath(void* file) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(
            file, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
        const bool fits = length < buffer.size();
        buffer.resize(length);
        if (length == 0 || fits)
            return buffer;
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

namespace {

std::wstring Units(std::string_view bytes) {
    std::wstring units(bytes.size() / 2, L'\0');
    std::copy_n(bytes.data(), units.size() * 2, reinterpret_cast<char*>(units.data()));
    return units;
}

}  // namespace

std::string Utf16Reader::Piece(std::string_view bytes, bool last) {
    carry_.append(bytes);
    std::size_t whole = last ? carry_.size() : carry_.size() & ~std::size_t{1};
    if (!last && whole >= 2 && (static_cast<unsigned char>(carry_[whole - 1]) & 0xFC) == 0xD8)
        whole -= 2;  // a high surrogate
    std::string text = Narrow(Units(std::string_view(carry_).substr(0, whole)), CP_UTF8);
    carry_.erase(0, whole);
    return text;
}

bool Utf16Writer::Put(std::string_view text, bool last) {
    carry_.append(text);
    std::size_t whole = carry_.size();
    for (std::size_t back = 1; !last && back <= std::min<std::size_t>(3, whole); ++back) {
        const auto c = static_cast<unsigned char>(carry_[whole - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        if (c >= 0xC0 && back < (c >= 0xF0 ? 4u : c >= 0xE0 ? 3u : 2u))
            whole -= back;
        break;
    }
    const std::wstring units = Widen(std::string_view(carry_).substr(0, whole), CP_UTF8);
    carry_.erase(0, whole);
    return units.empty() ||
           out_(std::string_view(reinterpret_cast<const char*>(units.data()), units.size() * 2));
}

}  // namespace palvoren::win32
