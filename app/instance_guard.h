// The single-instance guard: only one copy of the program runs for a user on a machine.
//
// The guard is the name "Dostrel". On Windows it is a named mutex in the user's session, which
// counts as taken also when the copy that held it ended without giving it back; elsewhere it is an
// exclusive flock on "/tmp/Dostrel-<uid>". That place follows from the user id alone and never
// from the environment, so that a copy started from su or cron, or by a script with another HOME
// or TMPDIR or without XDG_RUNTIME_DIR, still meets the lock of the copy that runs. Whoever holds
// it keeps it for the life of the guard object; the system drops it when the process ends in any
// way, so a crashed copy never blocks the next start. A name in /tmp that cannot be used safely (a
// symlink, another user's file, not a regular file) is passed over for "Dostrel" in the user's
// cache folder: ".cache" in the home folder that the password database gives for the uid, made
// when missing and used only when it is the user's own and no one else may write to it. So
// someone else's file in /tmp cannot lock the user out, and every copy of the user passes it over
// for the same place. Only when no place can be used does the program end, as when another copy
// runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace palvoren {

inline constexpr std::string_view kInstanceName = "Dostrel";

// Holds the guard, if it was taken, until destroyed.
class InstanceGuard {
public:
    // The guard of the user; off Windows in the places of the process's effective user id.
    static InstanceGuard Acquire();
#ifndef _WIN32
    // The guard in the given places, in the order tried: "<tempDir>/Dostrel-<uid>", and when that
    // name is taken by something that is not this user's lock file, "Dostrel" in the private
    // folder (made when missing; used only when usable).
    static InstanceGuard AcquireIn(const std::string& tempDir,
                                   const std::optional<std::string>& privateDir);
#endif

    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // Whether this process holds the guard, and so may run.
    bool Owned() const {
        return handle_ != kNothingHeld;
    }

private:
    static constexpr std::intptr_t kNothingHeld = -1;

    explicit InstanceGuard(std::intptr_t handle) : handle_(handle) {}

    std::intptr_t handle_;  // the open lock file or mutex; kNothingHeld when not owned
};

}  // namespace palvoren
