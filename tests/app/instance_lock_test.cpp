// The lock between processes: a second copy is refused while the first runs, a killed copy frees
// the name, and names planted by someone else are never used.
#include <fcntl.h>
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

// A forked copy that takes the guard, reports whether it owns it, and then waits to be killed.
class Holder {
public:
    explicit Holder(const LockPlaces& places) {
        int ends[2];
        if (::pipe(ends) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ends[0]);
            const InstanceGuard guard = InstanceGuard::AcquireIn(places);
            const char owned = guard.Owned() ? 'y' : 'n';
            [[maybe_unused]] const ssize_t n = ::write(ends[1], &owned, 1);
            for (;;)
                ::pause();
        }
        ::close(ends[1]);
        if (pid_ > 0 && ::read(ends[0], &owned_, 1) != 1)
            owned_ = '?';
        ::close(ends[0]);
    }
    ~Holder() { Kill(); }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    bool Owns() const { return owned_ == 'y'; }
    void Kill() {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    char owned_ = '?';
};

struct PlaceRow {
    const char* name;
    bool runtimeDirExists;
};

class TwoCopies : public testing::TestWithParam<PlaceRow> {};

TEST_P(TwoCopies, SecondIsRefusedUntilTheFirstIsKilled) {
    const test::TempDir scratch;
    const LockPlaces places{scratch.File("run"), scratch.Path().string()};
    if (GetParam().runtimeDirExists) {
        ASSERT_EQ(::mkdir(places.runtimeDir->c_str(), 0700), 0);
    }

    Holder first(places);
    ASSERT_TRUE(first.Owns());
    {
        const InstanceGuard second = InstanceGuard::AcquireIn(places);
        EXPECT_FALSE(second.Owned());
        EXPECT_EQ(second.Outcome(), WaitOutcome::kTimedOut);
    }
    first.Kill();
    const InstanceGuard next = InstanceGuard::AcquireIn(places);
    EXPECT_TRUE(next.Owned());
    EXPECT_TRUE(std::filesystem::exists(LockFilePath(places, ::geteuid())));
}

INSTANTIATE_TEST_SUITE_P(InstanceGuard, TwoCopies,
                         testing::Values(PlaceRow{"in_the_runtime_dir", true},
                                         PlaceRow{"in_the_temp_folder_without_runtime_dir", false}),
                         [](const testing::TestParamInfo<PlaceRow>& info) {
                             return std::string(info.param.name);
                         });

TEST(InstanceGuard, ReleasedGuardLetsTheNextCopyRun) {
    const test::TempDir scratch;
    const LockPlaces places{std::nullopt, scratch.Path().string()};
    { const InstanceGuard first = InstanceGuard::AcquireIn(places); }
    EXPECT_TRUE(InstanceGuard::AcquireIn(places).Owned());
}

TEST(InstanceGuard, StartedProgramsDoNotInheritTheLock) {
    const test::TempDir scratch;
    const LockPlaces places{std::nullopt, scratch.Path().string()};
    pid_t child = -1;
    {
        const InstanceGuard guard = InstanceGuard::AcquireIn(places);
        ASSERT_TRUE(guard.Owned());
        child = ::fork();
        if (child == 0) {
            ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ::usleep(100 * 1000);  // give the child time to reach exec
    EXPECT_TRUE(InstanceGuard::AcquireIn(places).Owned());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

// Each row plants something under the lock file's name in the shared folder.
struct PlantRow {
    const char* name;
    void (*plant)(const std::string& lockPath, const std::string& scratch);
};

class PlantedName : public testing::TestWithParam<PlantRow> {};

TEST_P(PlantedName, IsRefused) {
    const test::TempDir scratch;
    const LockPlaces places{std::nullopt, scratch.Path().string()};
    const std::string lockPath = LockFilePath(places, ::geteuid());
    GetParam().plant(lockPath, scratch.Path().string());
    if (HasFatalFailure() || IsSkipped())
        return;
    const InstanceGuard guard = InstanceGuard::AcquireIn(places);
    EXPECT_FALSE(guard.Owned());
    EXPECT_EQ(guard.Outcome(), WaitOutcome::kNoHandle);
    EXPECT_FALSE(std::filesystem::exists(scratch.File("victim")));
}

INSTANTIATE_TEST_SUITE_P(
    InstanceGuard, PlantedName,
    testing::Values(PlantRow{"symlink_to_a_missing_file_creates_nothing",
                             [](const std::string& lock, const std::string& dir) {
                                 ASSERT_EQ(::symlink((dir + "/victim").c_str(), lock.c_str()), 0);
                             }},
                    PlantRow{"symlink_to_an_own_file_is_not_followed",
                             [](const std::string& lock, const std::string& dir) {
                                 ASSERT_EQ(::mkdir((dir + "/elsewhere").c_str(), 0700), 0);
                                 test::WriteFile(dir + "/elsewhere/target", "x");
                                 ASSERT_EQ(
                                     ::symlink((dir + "/elsewhere/target").c_str(), lock.c_str()),
                                     0);
                             }},
                    PlantRow{"directory_is_refused",
                             [](const std::string& lock, const std::string&) {
                                 ASSERT_EQ(::mkdir(lock.c_str(), 0700), 0);
                             }},
                    PlantRow{"fifo_is_refused_without_hanging",
                             [](const std::string& lock, const std::string&) {
                                 ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0);
                             }},
                    PlantRow{"another_users_file_is_refused",
                             [](const std::string& lock, const std::string&) {
                                 if (::geteuid() != 0)
                                     GTEST_SKIP() << "giving a file away needs root";
                                 test::WriteFile(lock, "");
                                 ASSERT_EQ(::chown(lock.c_str(), 65534, 65534), 0);
                             }}),
    [](const testing::TestParamInfo<PlantRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace palvoren
