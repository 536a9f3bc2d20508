#include "settings/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <random>
#include <vector>

namespace palvoren {
namespace {

constexpr std::size_t kBufferSize = 65536;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closing can report a delayed write error, so it is checked rather than left to the
    // destructor.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Follows a chain of symbolic links to the file that is to be replaced, which need not exist yet.
std::optional<std::string> FinalTarget(std::filesystem::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(path, error))
            return path.string();
        const std::filesystem::path link = std::filesystem::read_symlink(path, error);
        if (error)
            return std::nullopt;
        path = path.parent_path() / link;  // a link to an absolute path replaces it whole
    }
    return std::nullopt;
}

// Whether the file is the program that is running: the settings path of an executable named
// "x.ini", or a link to the executable under the settings name, must not be taken for settings.
// /proc/self/exe reaches the running image even after it was replaced or deleted.
bool IsRunningExecutable(const struct stat& file) {
    struct stat self {};
    return ::stat("/proc/self/exe", &self) == 0 && self.st_dev == file.st_dev &&
           self.st_ino == file.st_ino;
}

// Decided from the bits too, because root may write anything.
bool IsReadOnly(const std::string& path, const struct stat& file) {
    if ((file.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return ::access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS);
}

// A file of this save's own beside the target, under a name that was free: two saves that meet (two
// users of one program folder) never write into or rename each other's file, and no file that
// happens to carry the name is taken for a leftover and removed. -1 when none can be made.
int CreateTemporary(const std::string& target, std::string& name) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + "." + std::to_string(random()) + ".tmp";
        const int fd =
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAll(const FileOps& ops, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ops.write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A write that fails is done again a few times before the save gives up on it.
constexpr int kAttempts = 3;

bool WriteAt(const FileOps& ops, int fd, off_t offset, std::string_view bytes) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (::lseek(fd, offset, SEEK_SET) == offset && WriteAll(ops, fd, bytes))
            return true;
    }
    return false;
}

// Moves `size` bytes at `from` to the start of the file, a buffer at a time: each piece is read
// before anything is written where it stood, and a failed write is done again from the buffer, as
// its own source may be what it overwrote. Returns `size` once all are in place; otherwise where
// the last whole line in place ends, as a cut line would read back as another value.
off_t MoveToFront(const FileOps& ops, int fd, off_t from, off_t size) {
    std::vector<char> buffer(kBufferSize);
    off_t lines = 0;
    for (off_t done = 0; done < size;) {
        const auto want = static_cast<std::size_t>(std::min<off_t>(size - done, kBufferSize));
        const ssize_t n = ::pread(fd, buffer.data(), want, from + done);
        const std::string_view piece(buffer.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
        if (n <= 0 || !WriteAt(ops, fd, done, piece))
            return lines;
        if (const std::size_t end = piece.rfind('\n'); end != std::string_view::npos)
            lines = done + static_cast<off_t>(end) + 1;
        done += n;
    }
    return size;
}

bool EndsLine(int fd, off_t size) {
    char last = '\n';
    return size == 0 || (::pread(fd, &last, 1, size - 1) == 1 && last == '\n');
}

// `path` names the file in a failure's message.
bool WriteInPlace(const std::string& target, const std::string& path,
                  const std::function<bool(const TextSink&)>& write, const FileOps& ops) {
    FileDescriptor fd(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        ::lseek(fd.get(), 0, SEEK_END) != info.st_size)
        return false;
    // Without a line break the new text's first line would run on from the old last value, which
    // a kill before the move would leave longer by "[Form]".
    const bool breakLine = !EndsLine(fd.get(), info.st_size);
    const bool written =
        (!breakLine || WriteAll(ops, fd.get(), "\n")) &&
        write([&](std::string_view bytes) { return WriteAll(ops, fd.get(), bytes); }) &&
        ops.fsync(fd.get()) == 0;
    const off_t from = info.st_size + (breakLine ? 1 : 0);
    const off_t end = ::lseek(fd.get(), 0, SEEK_CUR);
    if (!written || end < from) {
        [[maybe_unused]] const int ignored = ::ftruncate(fd.get(), info.st_size);
        return false;
    }
    // From here on the old text is being overwritten and cannot come back.
    const off_t size = end - from;
    const off_t inPlace = MoveToFront(ops, fd.get(), from, size);
    if (inPlace == size)
        return ::ftruncate(fd.get(), size) == 0 && ops.fsync(fd.get()) == 0 && fd.Close();
    // No second copy is left for later saves to keep, nor a half line.
    [[maybe_unused]] const int ignored = ::ftruncate(fd.get(), inPlace);
    throw EFileCutShort(path);
}

}  // namespace

FileText ReadFileText(const std::string& path, const TextSink& piece) {
    // O_NONBLOCK: a FIFO under the settings name would otherwise hold the open until a writer
    // came, and the program with it. What was opened is checked before a byte is read, so a link
    // to /dev/zero or a terminal is never read from.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        return {missing ? FileState::Missing : FileState::Unreadable, TextEncoding::Bytes};
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || IsRunningExecutable(info))
        return {FileState::Unreadable, TextEncoding::Bytes};
    std::vector<char> buffer(kBufferSize);
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {FileState::Unreadable, TextEncoding::Bytes};
        if (n == 0 || !piece(std::string_view(buffer.data(), static_cast<std::size_t>(n))))
            return {FileState::Read, TextEncoding::Bytes};
    }
}

// The system's code page is UTF-8 already.
std::string FileTextToUtf8(std::string_view fileText, TextEncoding) {
    return std::string(fileText);
}

std::string Utf8ToFileText(std::string_view utf8, TextEncoding) {
    return std::string(utf8);
}

// No program can hold a file against others here.
void WaitWhileHeldByAnother(const std::string&) {}

FileOps SystemFileOps() {
    return {::write, ::fsync, ::rename};
}

bool ReplaceFileText(const std::string& path, TextEncoding,
                     const std::function<bool(const TextSink&)>& write, const FileOps& ops) {
    const std::optional<std::string> target = FinalTarget(path);
    if (!target)
        return false;
    struct stat old {};
    const bool hadFile = ::stat(target->c_str(), &old) == 0;
    if (hadFile && (!S_ISREG(old.st_mode) || IsRunningExecutable(old) || IsReadOnly(*target, old)))
        return false;
    std::string temporary;
    FileDescriptor fd(CreateTemporary(*target, temporary));
    if (fd.get() < 0)
        return hadFile && WriteInPlace(*target, path, write, ops);
    if (hadFile) {
        if (::fchmod(fd.get(), old.st_mode & 07777) != 0) {
            ::unlink(temporary.c_str());
            return false;
        }
        // Only root may hand a file to another owner; anyone else keeps their own, as before.
        [[maybe_unused]] const int ignored = ::fchown(fd.get(), old.st_uid, old.st_gid);
    }
    const bool written =
        write([&](std::string_view bytes) { return WriteAll(ops, fd.get(), bytes); }) &&
        ops.fsync(fd.get()) == 0 && fd.Close();
    if (!written || ops.rename(temporary.c_str(), target->c_str()) != 0) {
        ::unlink(temporary.c_str());
        return written && hadFile && WriteInPlace(*target, path, write, ops);
    }
    // The rename itself lives in the folder; without this a power cut could still undo it.
    const std::filesystem::path folder = std::filesystem::path(*target).parent_path();
    FileDescriptor folderFd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.get() >= 0)
        ::fsync(folderFd.get());
    return true;
}

}  // namespace palvoren
