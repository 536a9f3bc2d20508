#include "settings/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <vector>

namespace palvoren {
namespace {

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

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows a chain of symbolic links to the file that is to be replaced, which need not exist yet.
std::optional<std::string> FinalTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::array<char, 4096> buffer{};
        const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size())
            return std::nullopt;
        std::string link(buffer.data(), static_cast<std::size_t>(length));
        path = link.front() == '/' ? link : Folder(path) + "/" + link;
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

// Reads what it can; -1 only for an error other than an interrupted call.
ssize_t ReadSome(const FileDescriptor& fd, char* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd.get(), data, size);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

// Opens a regular file that is not the program itself and hands it, with its size, to read(),
// which returns false on a read error.
template <typename Read>
FileContents::State ReadOpened(const std::string& path, Read read) {
    // O_NONBLOCK: a FIFO under the settings name would otherwise hold the open until a writer
    // came, and the program with it. What was opened is checked before a byte is read, so a link
    // to /dev/zero or a terminal is never read from.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        return missing ? FileContents::State::Missing : FileContents::State::Unreadable;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || IsRunningExecutable(info))
        return FileContents::State::Unreadable;
    return read(fd, static_cast<std::size_t>(info.st_size)) ? FileContents::State::Read
                                                            : FileContents::State::Unreadable;
}

bool WriteAll(const FileOps& ops, int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ops.write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteTemporary(const std::string& temporary, const std::string& bytes, const struct stat* old,
                    const FileOps& ops) {
    ::unlink(temporary.c_str());  // a leftover from an interrupted save
    FileDescriptor fd(
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return false;
    if (old != nullptr) {
        if (::fchmod(fd.get(), old->st_mode & 07777) != 0)
            return false;
        // Only root may hand a file to another owner; anyone else keeps their own, as before.
        [[maybe_unused]] const int ignored = ::fchown(fd.get(), old->st_uid, old->st_gid);
    }
    return WriteAll(ops, fd.get(), bytes) && ops.fsync(fd.get()) == 0 && fd.Close();
}

}  // namespace

FileContents ReadWholeFile(const std::string& path) {
    FileContents contents{FileContents::State::Read, {}};
    contents.state = ReadOpened(path, [&](const FileDescriptor& fd, std::size_t size) {
        // Sized once from the file, so that a large file costs its own size and no regrowth
        // copies; one more byte lets the read see the end without another allocation.
        contents.bytes.resize(size + 1);
        std::size_t used = 0;
        for (;;) {
            if (used == contents.bytes.size())
                contents.bytes.resize(used + used / 2 + 65536);  // it grew while being read
            const ssize_t n =
                ReadSome(fd, contents.bytes.data() + used, contents.bytes.size() - used);
            if (n <= 0) {
                contents.bytes.resize(used);
                return n == 0;
            }
            used += static_cast<std::size_t>(n);
        }
    });
    if (contents.state != FileContents::State::Read)
        contents.bytes.clear();
    return contents;
}

FileContents::State ReadFileInPieces(const std::string& path,
                                     const std::function<void(std::string_view)>& piece) {
    return ReadOpened(path, [&](const FileDescriptor& fd, std::size_t) {
        std::vector<char> buffer(65536);
        for (;;) {
            const ssize_t n = ReadSome(fd, buffer.data(), buffer.size());
            if (n <= 0)
                return n == 0;
            piece(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
        }
    });
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return ::access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS);
}

FileOps SystemFileOps() {
    return {::write, ::fsync, ::rename};
}

bool ReplaceFile(const std::string& path, const std::string& bytes, const FileOps& ops) {
    const std::optional<std::string> target = FinalTarget(path);
    if (!target)
        return false;
    struct stat old {};
    const bool hadFile = ::stat(target->c_str(), &old) == 0;
    if (hadFile && (!S_ISREG(old.st_mode) || IsRunningExecutable(old)))
        return false;
    const std::string temporary = *target + ".tmp";
    if (!WriteTemporary(temporary, bytes, hadFile ? &old : nullptr, ops) ||
        ops.rename(temporary.c_str(), target->c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself lives in the folder; without this a power cut could still undo it.
    FileDescriptor folder(::open(Folder(*target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        ::fsync(folder.get());
    return true;
}

}  // namespace palvoren
