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

bool UsablePrivateDir(const std::string& dir, uid_t uid) {
    struct stat info {};
    if (dir.empty() || dir.front() != '/' || ::stat(dir.c_str(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == uid && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

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

// The private folder may not exist yet on a fresh account.
bool MakePrivateDir(const std::string& dir, uid_t uid) {
    if (!dir.empty() && dir.front() == '/')
        ::mkdir(dir.c_str(), 0700);
    return UsablePrivateDir(dir, uid);
}

}  // namespace

// The home folder from the password database, not $HOME: su, sudo and cron may leave another
// user's home there, and every copy of this user must pass the name in /tmp over for one place.
LockPlaces UserLockPlaces(unsigned uid) {
    LockPlaces places;
    const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    while (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE)
        buffer.resize(buffer.size() * 2);
    if (found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/')
        places.privateDir = std::string(found->pw_dir) + "/.cache";
    return places;
}

std::vector<std::string> LockFilePaths(const LockPlaces& places, unsigned uid) {
    const std::string name(kInstanceName);
    std::vector<std::string> paths{places.tempDir + "/" + name + "-" + std::to_string(uid)};
    if (places.privateDir)
        paths.push_back(*places.privateDir + "/" + name);
    return paths;
}

InstanceGuard InstanceGuard::Acquire() {
    return AcquireIn(UserLockPlaces(::geteuid()));
}

InstanceGuard InstanceGuard::AcquireIn(const LockPlaces& places) {
    const uid_t uid = ::geteuid();
    const std::vector<std::string> paths = LockFilePaths(places, uid);
    int fd = -1;
    for (std::size_t i = 0; i < paths.size() && fd < 0; ++i) {
        // Only the shared folder's name can be taken by someone else; the private folder that
        // follows it is checked before use, as it is the user's own.
        if (i > 0 && !MakePrivateDir(*places.privateDir, uid))
            break;
        fd = OpenLockFile(paths[i], uid);
    }
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
