// The single-instance guard: only one copy of the program runs in a user's session.
//
// The guard is the session-wide name "Dostrel". On Windows it is a named mutex, which counts as
// taken also when the copy that held it ended without giving it back; elsewhere it is an
// exclusive flock on a file of that name in the user's runtime folder ($XDG_RUNTIME_DIR) or, when
// there is none, "Dostrel-<uid>" in /tmp. Whoever holds it keeps it for the life of the guard
// object; the system drops it when the process ends in any way, so a crashed copy never blocks the
// next start. A name that cannot be used safely (a symlink, another user's file, not a regular
// file) is passed over for the user's own cache folder, so that someone else's file in /tmp cannot
// lock the user out; only when no place can be used does the program end, as when another copy
// runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace palvoren {

inline constexpr std::string_view kInstanceName = "Dostrel";

#ifndef _WIN32
// Where the lock file goes off Windows, in the order tried: in the runtime folder when one is given
// and usable (an absolute path to a directory of this user that no one else may write to);
// otherwise "<tempDir>/Dostrel-<uid>", and when that name is taken by something that is not this
// user's lock file, "Dostrel" in the private folder (made when missing; used only when usable).
struct LockPlaces {
    std::optional<std::string> runtimeDir;
    std::string tempDir = "/tmp";
    std::optional<std::string> privateDir;
};

std::vector<std::string> LockFilePaths(const LockPlaces& places, unsigned uid);
#endif

// Holds the guard, if it was taken, until destroyed.
class InstanceGuard {
public:
    // The session's guard; off Windows in the places this user's environment names.
    static InstanceGuard Acquire();
#ifndef _WIN32
    // The guard in the given places.
    static InstanceGuard AcquireIn(const LockPlaces& places);
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
