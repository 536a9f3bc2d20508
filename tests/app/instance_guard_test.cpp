// Where the lock goes, and the lock between processes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/instance_guard.h"
#include "test_support.h"

namespace palvoren {
namespace {

template <typename Row>
std::string RowName(const testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

// What a copy finds in its environment: started from a desktop, a terminal, su, cron or a script
// that cleans its environment.
struct Environment {
    const char* runtimeDir;  // "private" (0700), "shared" (01777) or nullptr: not set
    bool otherHome;          // another HOME, TMPDIR and XDG_CACHE_HOME
};
// Each row starts two copies of one user with their own environments; the second is refused.
struct PlaceRow {
    const char* name;
    Environment first;
    Environment second;
};

// The copies run under a user id of their own where the test may give them one (as root), so that
// no real copy of the program and no other test meets their lock in /tmp.
class LockPlace : public testing::TestWithParam<PlaceRow> {
protected:
    void SetUp() override {
        if (::geteuid() == 0)
            uid_ = 2000000000u + static_cast<unsigned>(::getpid() % 100000);
        ::chmod(scratch_.Path().c_str(), 0755);
        for (const auto& [dir, mode] :
             {std::pair{"private", 0700}, std::pair{"shared", 01777}, std::pair{"home", 0700}}) {
            ::mkdir(scratch_.File(dir).c_str(), static_cast<mode_t>(mode));
            [[maybe_unused]] const int ignored = ::chown(scratch_.File(dir).c_str(), uid_, 0);
        }
    }
    void TearDown() override {
        if (uid_ != ::geteuid())
            ::unlink(LockPath().c_str());
    }
    std::string LockPath() const { return "/tmp/Dostrel-" + std::to_string(uid_); }

    // A forked copy that takes the guard and then waits to be killed; true when it got it.
    bool StartCopy(const Environment& environment, pid_t& pid) {
        int ends[2];
        if (::pipe(ends) != 0 || (pid = ::fork()) < 0)
            return false;
        if (pid == 0) {
            if (uid_ != ::geteuid() && ::setuid(uid_) != 0)
                ::_exit(1);
            if (environment.runtimeDir != nullptr)
                ::setenv("XDG_RUNTIME_DIR", scratch_.File(environment.runtimeDir).c_str(), 1);
            else
                ::unsetenv("XDG_RUNTIME_DIR");
            for (const char* name : {"HOME", "TMPDIR", "XDG_CACHE_HOME"}) {
                if (environment.otherHome)
                    ::setenv(name, scratch_.File("home").c_str(), 1);
            }
            const InstanceGuard guard = InstanceGuard::Acquire();
            const char owned = guard.Owned() ? 'y' : 'n';
            [[maybe_unused]] const ssize_t n = ::write(ends[1], &owned, 1);
            for (;;)
                ::pause();
        }
        char owned = 'n';
        const bool reported = ::read(ends[0], &owned, 1) == 1;
        ::close(ends[0]);
        ::close(ends[1]);
        return reported && owned == 'y';
    }

    test::TempDir scratch_;
    unsigned uid_ = ::geteuid();
};

void Kill(pid_t pid) {
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

TEST_P(LockPlace, SecondCopyIsRefusedUntilTheFirstIsKilled) {
    pid_t first = -1;
    pid_t second = -1;
    if (!StartCopy(GetParam().first, first)) {
        Kill(first);
        GTEST_SKIP() << "a copy of the program runs for this user";
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(LockPath()));
    EXPECT_FALSE(StartCopy(GetParam().second, second)) << "a second copy ran beside the first";
    Kill(second);
    Kill(first);
    EXPECT_TRUE(StartCopy(GetParam().second, second));
    Kill(second);
}

constexpr Environment kNoRuntimeDir{nullptr, false};
constexpr Environment kPrivateRuntimeDir{"private", false};
INSTANTIATE_TEST_SUITE_P(
    InstanceGuard, LockPlace,
    testing::Values(
        PlaceRow{"no_runtime_dir_locks_in_temp", kNoRuntimeDir, kNoRuntimeDir},
        PlaceRow{"runtime_dir_is_not_looked_at", kPrivateRuntimeDir, kNoRuntimeDir},
        PlaceRow{"shared_runtime_dir_is_not_looked_at", {"shared", false}, kPrivateRuntimeDir},
        PlaceRow{
            "other_home_and_temp_folder_are_not_looked_at", kPrivateRuntimeDir, {nullptr, true}}),
    RowName<PlaceRow>);

TEST(InstanceGuard, StartedProgramsDoNotInheritTheLock) {
    const test::TempDir scratch;
    const std::string tempDir = scratch.Path().string();
    pid_t child = -1;
    {
        const InstanceGuard guard = InstanceGuard::AcquireIn(tempDir, std::nullopt);
        ASSERT_TRUE(guard.Owned());
        if ((child = ::fork()) == 0) {
            ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ::usleep(100 * 1000);  // time for the child to reach exec
    EXPECT_TRUE(InstanceGuard::AcquireIn(tempDir, std::nullopt).Owned());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

constexpr int kNeedsRoot = -2;

// Each row plants something under the lock's name in the shared folder before the start.
struct PlantRow {
    const char* name;
    int (*plant)(const std::string& lockPath, const std::string& victim);
};
class PlantedName : public testing::TestWithParam<PlantRow> {};

// The planted name is never used; the user's private folder takes its place, and a second copy is
// still refused there.
TEST_P(PlantedName, IsPassedOverForThePrivateFolder) {
    const test::TempDir scratch;
    const std::string privateDir = scratch.File("home-cache");
    const std::string tempDir = scratch.Path().string();
    const std::string victim = scratch.File("victim");
    const int planted =
        GetParam().plant(tempDir + "/Dostrel-" + std::to_string(::geteuid()), victim);
    if (planted == kNeedsRoot)
        GTEST_SKIP() << "giving a file to someone else needs root";
    ASSERT_EQ(planted, 0);
    EXPECT_FALSE(InstanceGuard::AcquireIn(tempDir, std::nullopt).Owned());
    {
        const InstanceGuard guard = InstanceGuard::AcquireIn(tempDir, privateDir);
        EXPECT_TRUE(guard.Owned());
        EXPECT_TRUE(std::filesystem::is_regular_file(privateDir + "/Dostrel"));
        pid_t second = ::fork();
        if (second == 0)
            ::_exit(InstanceGuard::AcquireIn(tempDir, privateDir).Owned() ? 1 : 0);
        int status = -1;
        ::waitpid(second, &status, 0);
        EXPECT_EQ(status, 0) << "a second copy ran beside the first";
    }
    EXPECT_FALSE(std::filesystem::exists(victim));
}

INSTANTIATE_TEST_SUITE_P(
    InstanceGuard, PlantedName,
    testing::Values(PlantRow{"symlink_is_passed_over",
                             [](const std::string& lock, const std::string& victim) {
                                 return ::symlink(victim.c_str(), lock.c_str());
                             }},
                    PlantRow{"fifo_is_passed_over_without_hanging",
                             [](const std::string& lock, const std::string&) {
                                 return ::mkfifo(lock.c_str(), 0600);
                             }},
                    PlantRow{"another_users_file_is_passed_over",
                             [](const std::string& lock, const std::string&) {
                                 test::WriteFile(lock, "");
                                 return ::geteuid() == 0 ? ::chown(lock.c_str(), 65534, 65534)
                                                         : kNeedsRoot;
                             }}),
    RowName<PlantRow>);

}  // namespace
}  // namespace palvoren
