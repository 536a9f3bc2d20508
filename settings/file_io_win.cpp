#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "settings/file_io.h"
#include "settings/win32.h"

namespace palvoren {
namespace {

using win32::Handle;

// Other programs (an editor, a virus scanner) may hold the file open; none of that blocks a read,
// and the replacement's rename waits for nobody either.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// What a replacement keeps of the file it replaces, as POSIX keeps the permission bits.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// ReadFile and WriteFile take at most a DWORD at a time.
constexpr std::size_t kChunk = std::size_t{1} << 30;

std::optional<BY_HANDLE_FILE_INFORMATION> Information(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(file, &info) == FALSE)
        return std::nullopt;
    return info;
}

// A file on a disk that is not a folder: a device (NUL, CON, COM1, ...), a pipe or a folder is not.
bool IsRegularFile(HANDLE file, const BY_HANDLE_FILE_INFORMATION& info) {
    return ::GetFileType(file) == FILE_TYPE_DISK &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Whether the file is the program that is running, by whatever name or link it was reached: the
// settings path of an executable named "x.ini" must not be taken for settings.
bool IsRunningExecutable(const BY_HANDLE_FILE_INFORMATION& file) {
    const std::wstring self = win32::LongPath(win32::ModuleFileName());
    if (self.empty())
        return false;
    const Handle module(::CreateFileW(self.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    const std::optional<BY_HANDLE_FILE_INFORMATION> info =
        module.Valid() ? Information(module.get()) : std::nullopt;
    return info && info->dwVolumeSerialNumber == file.dwVolumeSerialNumber &&
           info->nFileIndexHigh == file.nFileIndexHigh && info->nFileIndexLow == file.nFileIndexLow;
}

// Opened only to be looked at: a device opened this way is never read from or written to.
Handle OpenToInspect(const std::wstring& path) {
    return Handle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                OPEN_EXISTING, 0, nullptr));
}

std::optional<std::wstring> FinalPath(HANDLE file) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(
            file, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
        if (length == 0)
            return std::nullopt;
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);
    }
}

struct Target {
    std::wstring path;
    DWORD attributes;  // of the file replaced; 0 for a new one
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
            return Target{wide, 0};
        return std::nullopt;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::nullopt;
    const Handle file = OpenToInspect(wide);
    const std::optional<BY_HANDLE_FILE_INFORMATION> info =
        file.Valid() ? Information(file.get()) : std::nullopt;
    if (!info || !IsRegularFile(file.get(), *info) || IsRunningExecutable(*info))
        return std::nullopt;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return Target{wide, info->dwFileAttributes};
    std::optional<std::wstring> final = FinalPath(file.get());
    if (!final)
        return std::nullopt;
    return Target{*std::move(final), info->dwFileAttributes};
}

bool WriteAll(const FileOps& ops, HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto size = static_cast<std::uint32_t>(std::min(bytes.size() - done, kChunk));
        std::uint32_t written = 0;
        if (!ops.write(file, bytes.data() + done, size, &written) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool WriteTemporary(const std::wstring& temporary, const std::string& bytes, DWORD oldAttributes,
                    const FileOps& ops) {
    // A leftover of an interrupted save goes, even one that was made read-only since.
    ::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(temporary.c_str());
    const DWORD kept = oldAttributes & kKeptAttributes;
    Handle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return false;
    return WriteAll(ops, file.get(), bytes) && ops.flush(file.get()) && file.Close();
}

FileContents::State OpenFailure() {
    const DWORD error = ::GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return missing ? FileContents::State::Missing : FileContents::State::Unreadable;
}

// Opens a regular file that is not the program itself and hands it, with its size, to read(),
// which returns false on a read error.
template <typename Read>
FileContents::State ReadOpened(const std::string& path, Read read) {
    const std::wstring wide = win32::WidePath(path);
    // What was opened is checked before a byte is read: a console or a pipe under the settings
    // name would otherwise hold the program until someone typed or wrote.
    const Handle file(::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid())
        return OpenFailure();
    const std::optional<BY_HANDLE_FILE_INFORMATION> info = Information(file.get());
    LARGE_INTEGER size{};
    if (!info || !IsRegularFile(file.get(), *info) || IsRunningExecutable(*info) ||
        ::GetFileSizeEx(file.get(), &size) == FALSE)
        return FileContents::State::Unreadable;
    return read(file.get(), static_cast<std::size_t>(size.QuadPart))
               ? FileContents::State::Read
               : FileContents::State::Unreadable;
}

// Reads what it can; nothing on an error, 0 at the end.
std::optional<std::size_t> ReadSome(HANDLE file, char* data, std::size_t size) {
    DWORD n = 0;
    if (::ReadFile(file, data, static_cast<DWORD>(std::min(size, kChunk)), &n, nullptr) == FALSE)
        return std::nullopt;
    return n;
}

}  // namespace

FileContents ReadWholeFile(const std::string& path) {
    FileContents contents{FileContents::State::Read, {}};
    contents.state = ReadOpened(path, [&](HANDLE file, std::size_t size) {
        // Sized once from the file, so that a large file costs its own size and no regrowth
        // copies; one more byte lets the read see the end without another allocation.
        contents.bytes.resize(size + 1);
        std::size_t used = 0;
        for (;;) {
            if (used == contents.bytes.size())
                contents.bytes.resize(used + used / 2 + 65536);  // it grew while being read
            const std::optional<std::size_t> n =
                ReadSome(file, contents.bytes.data() + used, contents.bytes.size() - used);
            if (!n || *n == 0) {
                contents.bytes.resize(used);
                return n.has_value();
            }
            used += *n;
        }
    });
    if (contents.state != FileContents::State::Read)
        contents.bytes.clear();
    return contents;
}

FileContents::State ReadFileInPieces(const std::string& path,
                                     const std::function<void(std::string_view)>& piece) {
    return ReadOpened(path, [&](HANDLE file, std::size_t) {
        std::vector<char> buffer(65536);
        for (;;) {
            const std::optional<std::size_t> n = ReadSome(file, buffer.data(), buffer.size());
            if (!n || *n == 0)
                return n.has_value();
            piece(std::string_view(buffer.data(), *n));
        }
    });
}

bool IsReadOnlyFile(const std::string& path) {
    const std::wstring wide = win32::WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return true;
    // An access list can deny writing where the attribute does not. Opening for writing tells
    // without changing the file; a device is not opened that way (a port would react to it).
    {
        const Handle inspect = OpenToInspect(wide);
        if (!inspect.Valid() || ::GetFileType(inspect.get()) != FILE_TYPE_DISK)
            return false;
    }
    const Handle file(
        ::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    return !file.Valid() && ::GetLastError() == ERROR_ACCESS_DENIED;
}

FileOps SystemFileOps() {
    return {
        [](void* file, const void* data, std::uint32_t size, std::uint32_t* written) {
            DWORD done = 0;
            const bool ok = ::WriteFile(file, data, size, &done, nullptr) != FALSE;
            *written = done;
            return ok;
        },
        [](void* file) { return ::FlushFileBuffers(file) != FALSE; },
        [](const wchar_t* from, const wchar_t* to) {
            return ::MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
                   FALSE;
        },
    };
}

bool ReplaceFile(const std::string& path, const std::string& bytes, const FileOps& ops) {
    const std::optional<Target> target = ReplaceableTarget(path);
    if (!target)
        return false;
    const std::wstring temporary = win32::LongPath(target->path + L".tmp");
    const std::wstring final = win32::LongPath(target->path);
    if (!WriteTemporary(temporary, bytes, target->attributes, ops) ||
        !ops.move(temporary.c_str(), final.c_str())) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace palvoren
