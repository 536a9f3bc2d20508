#include "app/instance_guard.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#endif

namespace palvoren {
namespace {
constexpr std::intptr_t kNothingHeld = -1;
}  // namespace

WaitOutcome WaitOutcomeFromCode(std::uint32_t waitCode) {
    switch (waitCode) {
        case kWaitObject0:
            return WaitOutcome::kSignaled;
        case kWaitAbandoned:
            return WaitOutcome::kAbandoned;
        case kWaitTimeout:
            return WaitOutcome::kTimedOut;
        default:
            return WaitOutcome::kFailed;
    }
}

bool OwnsInstance(WaitOutcome outcome) {
    // An abandoned mutex belongs to the waiter all the same; the copy that left it is gone, so
    // refusing to start would lock the user out until the next log-on.
    return outcome == WaitOutcome::kSignaled || outcome == WaitOutcome::kAbandoned;
}

#ifdef _WIN32

static_assert(WAIT_OBJECT_0 == kWaitObject0 && WAIT_ABANDONED == kWaitAbandoned);
static_assert(WAIT_TIMEOUT == kWaitTimeout && WAIT_FAILED == kWaitFailed);

InstanceGuard InstanceGuard::Acquire() {
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, "Dostrel");
    if (mutex == nullptr)
        return {WaitOutcome::kNoHandle, kNothingHeld};
    const WaitOutcome outcome = WaitOutcomeFromCode(::WaitForSingleObject(mutex, 0));
    if (!OwnsInstance(outcome)) {
        ::CloseHandle(mutex);
        return {outcome, kNothingHeld};
    }
    return {outcome, reinterpret_cast<std::intptr_t>(mutex)};
}

InstanceGuard::~InstanceGuard() {
    if (handle_ == kNothingHeld)
        return;
    HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
}

#else

namespace {

bool UsableRuntimeDir(const std::string& dir, uid_t uid) {
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

}  // namespace

std::string LockFilePath(const LockPlaces& places, unsigned uid) {
    if (places.runtimeDir && UsableRuntimeDir(*places.runtimeDir, uid))
        return *places.runtimeDir + "/" + std::string(kInstanceName);
    return places.tempDir + "/" + std::string(kInstanceName) + "-" + std::to_string(uid);
}

InstanceGuard InstanceGuard::Acquire() {
    LockPlaces places;
    if (const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR"))
        places.runtimeDir = runtimeDir;
    return AcquireIn(places);
}

InstanceGuard InstanceGuard::AcquireIn(const LockPlaces& places) {
    const uid_t uid = ::geteuid();
    const int fd = OpenLockFile(LockFilePath(places, uid), uid);
    if (fd < 0)
        return {WaitOutcome::kNoHandle, kNothingHeld};
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0)
        return {WaitOutcome::kSignaled, fd};
    const WaitOutcome outcome =
        errno == EWOULDBLOCK ? WaitOutcome::kTimedOut : WaitOutcome::kFailed;
    ::close(fd);
    return {outcome, kNothingHeld};
}

InstanceGuard::~InstanceGuard() {
    // The file stays: removing it would let a copy that opened it just before the removal lock it
    // while the next copy creates and locks a new file under the same name.
    if (handle_ != kNothingHeld)
        ::close(static_cast<int>(handle_));
}

#endif

}  // namespace palvoren
