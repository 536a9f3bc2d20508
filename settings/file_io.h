// The settings file on disk, in the system's own terms: POSIX calls (file_io.cpp) or the wide
// Win32 calls (file_io_win.cpp). Paths are UTF-8 on both.
//
// Only a regular file is read or written: a folder, FIFO, device or socket under the name is
// refused (and opening one never blocks), and so is the running program's own executable, by
// whatever name it is reached.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#ifndef _WIN32
#include <sys/types.h>
#endif

namespace palvoren {

// Takes the next piece of a text; false when it cannot (a write failed) or wants no more.
using TextSink = std::function<bool(std::string_view)>;

enum class FileState { Read, Missing, Unreadable };

// How a file keeps its text. On Windows a file that starts with the UTF-16 LE byte-order mark is
// UTF-16, as the system's own profile functions read and write it: its text is handed on as UTF-8
// (the mark as the UTF-8 one) and written back as UTF-16. Every other file, and every file
// elsewhere, is read and written as the bytes it holds.
enum class TextEncoding { Bytes, Utf16 };

struct FileText {
    FileState state;
    TextEncoding encoding;
};

// The program works in UTF-8; a value is kept in the file as the system's own programs keep it: in
// the system's code page (UTF-8 here, the ANSI code page on Windows: Shift-JIS on Japanese
// Windows), or in a UTF-16 file as the UTF-8 its text reaches the settings code in. Bytes that do
// not decode are left for the caller to show as it can, and a character the code page lacks
// becomes its default character.
std::string FileTextToUtf8(std::string_view fileText, TextEncoding encoding);
std::string Utf8ToFileText(std::string_view utf8, TextEncoding encoding);

// Hands the file's text on a buffer at a time, in order and none kept, until it ends or `piece`
// returns false. A file that does not exist (nor its folder) is Missing; anything else that stops
// the read (no permission, an I/O error, not a regular file) is Unreadable, and the pieces handed
// on until then are to be dropped.
FileText ReadFileText(const std::string& path, const TextSink& piece);

// On Windows, waits while another program holds the file without sharing it (a virus scanner, a
// sync client), about two seconds at most, so that a save can still be made. Elsewhere, and for a
// file that is missing or cannot be opened for another reason, returns at once.
void WaitWhileHeldByAnother(const std::string& path);

// A write in place failed after it had begun to overwrite the old text: the file holds the first
// whole lines of the new text and nothing after them. Message:
// "<full path> の書き換えが途中で失敗し、後半が失われました".
class EFileCutShort : public std::runtime_error {
public:
    explicit EFileCutShort(const std::string& path)
        : std::runtime_error(path + " の書き換えが途中で失敗し、後半が失われました") {}
};

// The system calls that a replacement makes; tests put failing ones in their place.
#ifdef _WIN32
struct FileOps {
    // WriteFile, FlushFileBuffers and MoveFileExW, as the system declares them.
    int (*write)(void* file, const void* data, unsigned long size, unsigned long* written,
                 struct _OVERLAPPED* overlapped);
    int (*flush)(void* file);
    int (*move)(const wchar_t* from, const wchar_t* to, unsigned long flags);
};
#else
struct FileOps {
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*fsync)(int fd);
    int (*rename)(const char* from, const char* to);
};
#endif
FileOps SystemFileOps();

// Writes the text that `write` hands to the sink it is given as the file's new contents, kept as
// `encoding`, so that the path holds either the complete old or the complete new contents: the
// text goes to a new file of this save's own beside it ("<target>.<number>.tmp", under a name
// that no file had), is flushed to disk and renamed over the target. A symbolic link is followed
// and its target replaced; the target's permission bits (and, where allowed, owner) carry over, on
// Windows its hidden, system and archive attributes. A save that is killed leaves its temporary
// file behind: no later save can tell it from another save's file or one of the user's, so none
// removes it.
//
// Where that file cannot be made or the rename is refused (a folder that takes no new files, a
// file that another program holds open), the text goes into the file itself, as the system's own
// profile functions write, which is not atomic: first after the old contents (after a line break
// where they lack one), so that a failure there (a full disk) or a kill still leaves those whole
// and read as before, then moved over them. A kill or a power cut during that move leaves neither
// text whole. A write that fails during the move is done again; when it keeps failing, the file
// is cut after the last whole line of the new text in place and EFileCutShort is thrown. `write`
// runs once per attempt and must give the same text each time; it returns false when it fails.
//
// A file that must not be written (no write permission bit; on Windows the read-only attribute,
// or an access list that denies writing) is refused, as is anything but a regular file. Returns
// false on any other failure or refusal, leaving the old file as it was.
bool ReplaceFileText(const std::string& path, TextEncoding encoding,
                     const std::function<bool(const TextSink&)>& write,
                     const FileOps& ops = SystemFileOps());

}  // namespace palvoren
