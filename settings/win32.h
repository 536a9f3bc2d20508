// Windows only: the edge between the program's UTF-8 texts and the wide (UTF-16) Win32 calls, and
// the handle those calls return. Nothing outside the Windows halves of the settings code uses it.
#pragma once

#include <string>
#include <string_view>

#include "settings/file_io.h"

namespace palvoren::win32 {

// A text in the given code page (CP_UTF8, CP_ACP, ...) as UTF-16, and back. Bytes that do not
// decode become U+FFFD; a character the code page lacks becomes its default character.
std::wstring Widen(std::string_view text, unsigned codePage);
std::string Narrow(std::wstring_view text, unsigned codePage);

// A path for the wide file functions. An absolute path of MAX_PATH characters or more gets the
// "\\?\" prefix, which lifts the length limit of those functions.
std::wstring LongPath(std::wstring path);
// LongPath of a UTF-8 path.
std::wstring WidePath(std::string_view utf8);

// The running executable's full path, however long; empty when the system cannot tell.
std::wstring ModuleFileName();
// The full path of the file an open handle leads to, links followed; empty when unknown.
std::wstring FinalPath(void* file);

// UTF-16 LE read a piece at a time and handed on as UTF-8: a piece may end inside a unit or between
// the two units of a surrogate pair, which then wait for the next. `last` hands on what is left.
class Utf16Reader {
public:
    std::string Piece(std::string_view bytes, bool last);

private:
    std::string carry_;
};

// UTF-8 written to `out` as UTF-16 LE a piece at a time: a character cut by a piece's end waits
// for the rest of it. `last` writes what is left.
class Utf16Writer {
public:
    explicit Utf16Writer(const TextSink& out) : out_(out) {}
    bool Put(std::string_view text, bool last = false);

private:
    const TextSink& out_;
    std::string carry_;
};

// Owns a handle from CreateFileW and the like; closes it when destroyed.
class Handle {
public:
    explicit Handle(void* handle) : handle_(handle) {}
    ~Handle();
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    // False for both of the Win32 null values (nullptr and INVALID_HANDLE_VALUE).
    bool Valid() const;
    void* get() const { return handle_; }
    // Closing can report a delayed write error, so a writer checks it rather than leaving it to
    // the destructor.
    bool Close();

private:
    void* handle_;
};

}  // namespace palvoren::win32
