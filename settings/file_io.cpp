#include "settings/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <optional>

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
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        return {missing ? FileContents::State::Missing : FileContents::State::Unreadable, {}};
    }
    FileContents contents{FileContents::State::Read, {}};
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {FileContents::State::Unreadable, {}};
        if (n == 0)
            break;
        contents.bytes.append(buffer.data(), static_cast<std::size_t>(n));
    }
    return contents;
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
    if (hadFile && !S_ISREG(old.st_mode))
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
