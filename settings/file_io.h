// Whole-file reads and crash-safe whole-file replacement, in the system's own terms: POSIX calls
// (file_io.cpp) or the wide Win32 calls (file_io_win.cpp). Paths are UTF-8 on both.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#ifdef _WIN32
// <windows.h> maps ReplaceFile to a function of its own; this one keeps its name in every file
// that includes <windows.h> first.
#undef ReplaceFile
#else
#include <sys/types.h>
#endif

namespace palvoren {

struct FileContents {
    enum class State { Read, Missing, Unreadable };
    State state;
    std::string bytes;
};

// The file's bytes. A file that does not exist (nor its folder) is Missing; anything else that
// stops the read (no read permission, an I/O error) is Unreadable. Only a regular file is read: a
// folder, FIFO, device or socket in its place is Unreadable, and opening one never blocks. The
// running program's own executable is Unreadable too, whatever name it is reached by.
FileContents ReadWholeFile(const std::string& path);

// The same file read a buffer at a time, each piece handed on in order and none kept, so that a
// file of any size costs no more memory than the buffer. Returns Read, Missing or Unreadable as
// ReadWholeFile would; after Unreadable the pieces handed on so far are to be dropped.
FileContents::State ReadFileInPieces(const std::string& path,
                                     const std::function<void(std::string_view)>& piece);

// True when the file exists and must not be written: none of its write permission bits is set
// (on Windows: it has the read-only attribute), or the system refuses write access. Decided from
// the bits too because root may write anything.
bool IsReadOnlyFile(const std::string& path);

// The system calls that a replacement makes; tests put failing ones in their place.
#ifdef _WIN32
struct FileOps {
    // WriteFile, FlushFileBuffers and MoveFileExW (replacing, written through); true on success.
    bool (*write)(void* file, const void* data, std::uint32_t size, std::uint32_t* written);
    bool (*flush)(void* file);
    bool (*move)(const wchar_t* from, const wchar_t* to);
};
#else
struct FileOps {
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*fsync)(int fd);
    int (*rename)(const char* from, const char* to);
};
#endif
FileOps SystemFileOps();

// Replaces the file's contents so that, whatever happens, the path holds either the complete old
// or the complete new contents: the new bytes go to "<target>.tmp" beside it, are flushed to disk
// and then renamed over the target. A symbolic link is followed and its target replaced; the
// target's permission bits (and, where allowed, owner) carry over, on Windows its hidden, system
// and archive attributes. Only a regular file (or a new one) is replaced, never a device (NUL,
// CON, ...), FIFO, pipe, socket or folder and never the running program's own executable. Returns
// false on any failure or refusal, leaving the old file as it was.
bool ReplaceFile(const std::string& path, const std::string& bytes,
                 const FileOps& ops = SystemFileOps());

}  // namespace palvoren
