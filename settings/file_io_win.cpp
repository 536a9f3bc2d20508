#include <windows.h>

#include <algorithm>
#include <optional>
#include <random>
#include <vector>

#include "settings/file_io.h"
#include "settings/win32.h"

namespace palvoren {
namespace {

using win32::Handle;

// Other programs (an editor, a virus scanner) may hold the file open; none of that blocks a read.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// What a replacement keeps of the file it replaces, as POSIX keeps the permission bits.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr DWORD kBufferSize = 65536;
constexpr std::string_view kUtf16Mark = "\xFF\xFE";

std::optional<BY_HANDLE_FILE_INFORMATION> Information(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileInformationByHandle(file, &info) != FALSE ? std::optional(info) : std::nullopt;
}

// Opened only to be looked at: a device opened this way is never read from or written to.
Handle OpenToInspect(const std::wstring& path) {
    return Handle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                OPEN_EXISTING, 0, nullptr));
}

// Whether the file is the program that is running, by whatever name or link it was reached: the
// settings path of an executable named "x.ini" must not be taken for settings.
bool IsRunningExecutable(const BY_HANDLE_FILE_INFORMATION& file) {
    const std::wstring self = win32::LongPath(win32::ModuleFileName());
    const Handle module = OpenToInspect(self);
    const std::optional<BY_HANDLE_FILE_INFORMATION> info =
        !self.empty() && module.Valid() ? Information(module.get()) : std::nullopt;
    return info && info->dwVolumeSerialNumber == file.dwVolumeSerialNumber &&
           info->nFileIndexHigh == file.nFileIndexHigh && info->nFileIndexLow == file.nFileIndexLow;
}

// A file on a disk that is not a folder and not the program: a device (NUL, CON, COM1, ...), a
// pipe or a folder is none.
std::optional<BY_HANDLE_FILE_INFORMATION> RegularFile(HANDLE file) {
    std::optional<BY_HANDLE_FILE_INFORMATION> info = Information(file);
    if (!info || ::GetFileType(file) != FILE_TYPE_DISK ||
        (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || IsRunningExecutable(*info))
        return std::nullopt;
    return info;
}

// An access list can deny writing where the attribute does not. Opening for writing tells without
// changing the file.
bool DeniesWriting(const std::wstring& path) {
    const Handle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    return !file.Valid() && ::GetLastError() == ERROR_ACCESS_DENIED;
}

struct Target {
    std::wstring path;
    DWORD attributes;  // of the file replaced
    bool exists;
};

// The file a save replaces: the path itself or, for a link, the file it leads to. Nothing when it
// must not be replaced.
std::optional<Target> ReplaceableTarget(const std::string& path) {
    const std::wstring wide = win32::WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        // A missing folder is left to the temporary file's creation, which then fails.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return Target{wide, 0, false};
        return std::nullopt;
    }
    const Handle file = OpenToInspect(wide);
    const std::optional<BY_HANDLE_FILE_INFORMATION> info =
        file.Valid() ? RegularFile(file.get()) : std::nullopt;
    if (!info || (info->dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 || DeniesWriting(wide))
        return std::nullopt;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return Target{wide, info->dwFileAttributes, true};
    std::wstring final = win32::FinalPath(file.get());
    if (final.empty())
        return std::nullopt;
    return Target{std::move(final), info->dwFileAttributes, true};
}

// A disk file takes all it is given or fails; the pieces of a settings text are far below the
// 4 GiB a call can write.
bool WriteAll(const FileOps& ops, HANDLE file, std::string_view bytes) {
    DWORD written = 0;
    const auto size = static_cast<DWORD>(bytes.size());
    return bytes.size() == size &&
           ops.write(file, bytes.data(), size, &written, nullptr) != FALSE && written == size;
}

// The text of `write`, kept as `encoding`, written at the file's current position.
bool WriteText(const FileOps& ops, HANDLE file, TextEncoding encoding,
               const std::function<bool(const TextSink&)>& write) {
    const TextSink raw = [&](std::string_view bytes) { return WriteAll(ops, file, bytes); };
    if (encoding == TextEncoding::Bytes)
        return write(raw);
    win32::Utf16Writer utf16(raw);
    return write([&](std::string_view text) { return utf16.Put(text); }) && utf16.Put({}, true);
}

bool Seek(HANDLE file, std::uint64_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != FALSE;
}

// A write that fails is done again a few times before the save gives up on it.
constexpr int kAttempts = 3;

bool WriteAt(const FileOps& ops, HANDLE file, std::uint64_t offset, std::string_view bytes) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (Seek(file, offset) && WriteAll(ops, file, bytes))
            return true;
    }
    return false;
}

// Moves `size` bytes at `from` to the start of the file, a buffer at a time: each piece is read
// before anything is written where it stood, and a failed write is done again from the buffer, as
// its own source may be what it overwrote. Returns `size` once all are in place; otherwise where
// the last whole line in place ends (`lineBreak` at a multiple of its size), as a cut line would
// read back as another value.
std::uint64_t MoveToFront(const FileOps& ops, HANDLE file, std::uint64_t from, std::uint64_t size,
                          std::string_view lineBreak) {
    std::vector<char> buffer(kBufferSize);
    std::uint64_t lines = 0;
    for (std::uint64_t done = 0; done < size;) {
        const auto want = static_cast<DWORD>(std::min<std::uint64_t>(size - done, kBufferSize));
        DWORD n = 0;
        if (!Seek(file, from + done) ||
            ::ReadFile(file, buffer.data(), want, &n, nullptr) == FALSE || n == 0 ||
            !WriteAt(ops, file, done, std::string_view(buffer.data(), n)))
            return lines;
        const std::string_view piece(buffer.data(), n);
        for (std::size_t end = piece.rfind(lineBreak); end != std::string_view::npos;
             end = end > 0 ? piece.rfind(lineBreak, end - 1) : std::string_view::npos) {
            if ((done + end) % lineBreak.size() == 0) {
                lines = done + end + lineBreak.size();
                break;
            }
        }
        done += n;
    }
    return size;
}

bool EndsWith(HANDLE file, std::uint64_t size, std::string_view end) {
    char last[2] = {};
    DWORD n = 0;
    return size == 0 || (size >= end.size() && Seek(file, size - end.size()) &&
                         ::ReadFile(file, last, static_cast<DWORD>(end.size()), &n, nullptr) &&
                         std::string_view(last, n) == end);
}

// `path` names the file in a failure's message.
bool WriteInPlace(const std::wstring& target, const std::string& path, TextEncoding encoding,
                  const std::function<bool(const TextSink&)>& write, const FileOps& ops) {
    Handle file(::CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file.Valid() || ::GetFileSizeEx(file.get(), &size) == FALSE)
        return false;
    const auto old = static_cast<std::uint64_t>(size.QuadPart);
    // Without a line break the new text's first line would run on from the old last value, which
    // a kill before the move would leave longer by "[Form]".
    const std::string_view lineBreak =
        encoding == TextEncoding::Utf16 ? std::string_view("\n\0", 2) : "\n";
    const bool breakLine = !EndsWith(file.get(), old, lineBreak);
    const std::uint64_t from = old + (breakLine ? lineBreak.size() : 0);
    LARGE_INTEGER end{};
    const bool written = ::SetFilePointerEx(file.get(), LARGE_INTEGER{}, nullptr, FILE_END) &&
                         (!breakLine || WriteAll(ops, file.get(), lineBreak)) &&
                         WriteText(ops, file.get(), encoding, write) &&
                         ops.flush(file.get()) != FALSE &&
                         ::SetFilePointerEx(file.get(), LARGE_INTEGER{}, &end, FILE_CURRENT);
    if (!written || static_cast<std::uint64_t>(end.QuadPart) < from) {
        if (Seek(file.get(), old))
            ::SetEndOfFile(file.get());
        return false;
    }
    // From here on the old text is being overwritten and cannot come back.
    const std::uint64_t length = static_cast<std::uint64_t>(end.QuadPart) - from;
    const std::uint64_t inPlace = MoveToFront(ops, file.get(), from, length, lineBreak);
    // A cut leaves no second copy for later saves to keep, nor a half line.
    const bool cut = Seek(file.get(), inPlace) && ::SetEndOfFile(file.get()) != FALSE;
    if (inPlace != length)
        throw EFileCutShort(path);
    return cut && ops.flush(file.get()) != FALSE && file.Close();
}

}  // namespace

FileText ReadFileText(const std::string& path, const TextSink& piece) {
    const std::wstring wide = win32::WidePath(path);
    // What was opened is checked before a byte is read: a console or a pipe under the settings
    // name would otherwise hold the program until someone typed or wrote.
    const Handle file(::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) {
        const DWORD error = ::GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return {missing ? FileState::Missing : FileState::Unreadable, TextEncoding::Bytes};
    }
    if (!RegularFile(file.get()))
        return {FileState::Unreadable, TextEncoding::Bytes};
    std::vector<char> buffer(kBufferSize);
    TextEncoding encoding = TextEncoding::Bytes;
    win32::Utf16Reader utf16;
    for (bool first = true;; first = false) {
        DWORD n = 0;
        if (::ReadFile(file.get(), buffer.data(), kBufferSize, &n, nullptr) == FALSE)
            return {FileState::Unreadable, encoding};
        const std::string_view bytes(buffer.data(), n);
        if (first && bytes.starts_with(kUtf16Mark))
            encoding = TextEncoding::Utf16;
        const bool more = encoding == TextEncoding::Bytes
                              ? n > 0 && piece(bytes)
                              : piece(utf16.Piece(bytes, n == 0)) && n > 0;
        if (!more)
            return {FileState::Read, encoding};
    }
}

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

void WaitWhileHeldByAnother(const std::string& path) {
    const std::wstring wide = win32::WidePath(path);
    // A scan or a sync of a file this small takes a moment; a log-off gives a program some seconds.
    for (int tries = 0; tries < 20; ++tries) {
        const Handle file(::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
        const DWORD error = file.Valid() ? ERROR_SUCCESS : ::GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
            return;
        ::Sleep(100);
    }
}

FileOps SystemFileOps() {
    return {::WriteFile, ::FlushFileBuffers, ::MoveFileExW};
}

bool ReplaceFileText(const std::string& path, TextEncoding encoding,
                     const std::function<bool(const TextSink&)>& write, const FileOps& ops) {
    const std::optional<Target> target = ReplaceableTarget(path);
    if (!target)
        return false;
    const std::wstring final = win32::LongPath(target->path);
    const DWORD kept = target->attributes & kKeptAttributes;
    // A file of this save's own, under a name that was free: two saves that meet never write into
    // or move each other's file, and no file that happens to carry the name is taken for a
    // leftover.
    std::wstring temporary;
    std::random_device random;
    HANDLE made = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && made == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = win32::LongPath(target->path + L"." + std::to_wstring(random()) + L".tmp");
        made = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, nullptr);
        if (made == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    Handle file(made);
    if (!file.Valid())
        return target->exists && WriteInPlace(final, path, encoding, write, ops);
    bool written = WriteText(ops, file.get(), encoding, write) && ops.flush(file.get()) != FALSE;
    written = file.Close() && written;
    if (!written || ops.move(temporary.c_str(), final.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == FALSE) {
        ::DeleteFileW(temporary.c_str());
        return written && target->exists && WriteInPlace(final, path, encoding, write, ops);
    }
    return true;
}

}  // namespace palvoren
