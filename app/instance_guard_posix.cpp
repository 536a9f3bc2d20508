// The guard off Windows: an exclusive flock on a lock file of this user's own.
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "app/instance_guard.h"

namespace palvoren {
namespace {

// The lock file, or -1. In a shared folder anyone may have put something under our name first,
// so only a regular file of our own is used: never a link, a device or a FIFO (O_NONBLOCK keeps
// the open from hanging on one), never another user's file.
int OpenLockFile(const std::string& path, uid_t uid) {
    const int fd = ::open(path.c_str(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != uid) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The private folder may not exist yet on a fresh account. Only a folder of the user's own that
// no one else may write to is used.
bool MakePrivateDir(const std::string& dir, uid_t uid) {
    if (dir.empty() || dir.front() != '/')
        return false;
    ::mkdir(dir.c_str(), 0700);
    struct stat info {};
    return ::stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == uid &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The home folder from the password database, not $HOME: su, sudo and cron may leave another
// user's home there, and every copy of this user must pass the name in /tmp over for one place.
std::optional<std::string> CacheFolder(uid_t uid) {
    const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    while (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE)
        buffer.resize(buffer.size() * 2);
    if (found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/')
        return std::nullopt;
    return std::string(found->pw_dir) + "/.cache";
}

}  // namespace

InstanceGuard InstanceGuard::Acquire() {
    return AcquireIn("/tmp", CacheFolder(::geteuid()));
}

InstanceGuard InstanceGuard::AcquireIn(const std::string& tempDir,
                                       const std::optional<std::string>& privateDir) {
    const uid_t uid = ::geteuid();
    const std::string name(kInstanceName);
    int fd = OpenLockFile(tempDir + "/" + name + "-" + std::to_string(uid), uid);
    // Only the shared folder's name can be taken by someone else; the private folder that follows
    // it is checked before use, as it is the user's own.
    if (fd < 0 && privateDir && MakePrivateDir(*privateDir, uid))
        fd = OpenLockFile(*privateDir + "/" + name, uid);
    if (fd < 0)
        return InstanceGuard(kNothingHeld);
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0)
        return InstanceGuard(fd);
    ::close(fd);
    return InstanceGuard(kNothingHeld);
}

InstanceGuard::~InstanceGuard() {
    // The file stays: removing it would let a copy that opened it just before the removal lock it
    // while the next copy creates and locks a new file under the same name.
    if (Owned())
        ::close(static_cast<int>(handle_));
}

}  // namespace palvoren
