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

// Each row sets up the runtime folder (or not) and the copies all use the same places.
struct PlaceRow {
    const char* name;
    int runtimeDirMode;  // 0: no runtime folder
    bool inRuntimeDir;
};
class LockPlace : public testing::TestWithParam<PlaceRow> {
protected:
    LockPlaces Places() {
        const LockPlaces places{scratch_.File("run"), scratch_.Path().string(), std::nullopt};
        if (GetParam().runtimeDirMode != 0) {
            ::mkdir(places.runtimeDir->c_str(), 0700);
            ::chmod(places.runtimeDir->c_str(), static_cast<mode_t>(GetParam().runtimeDirMode));
        }
        return places;
    }
    test::TempDir scratch_;
};

// A forked copy that takes the guard and then waits to be killed; true when it got it.
bool StartHolder(const LockPlaces& places, pid_t& pid) {
    int ends[2];
    if (::pipe(ends) != 0 || (pid = ::fork()) < 0)
        return false;
    if (pid == 0) {
        const InstanceGuard guard = InstanceGuard::AcquireIn(places);
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

TEST_P(LockPlace, SecondCopyIsRefusedUntilTheFirstIsKilled) {
    const LockPlaces places = Places();
    const std::string expected = GetParam().inRuntimeDir
                                     ? *places.runtimeDir + "/Dostrel"
                                     : places.tempDir + "/Dostrel-" + std::to_string(::geteuid());
    EXPECT_EQ(LockFilePaths(places, ::geteuid()).front(), expected);
    pid_t first = -1;
    ASSERT_TRUE(StartHolder(places, first));
    EXPECT_FALSE(InstanceGuard::AcquireIn(places).Owned());
    ::kill(first, SIGKILL);
    ::waitpid(first, nullptr, 0);
    EXPECT_TRUE(InstanceGuard::AcquireIn(places).Owned());
}

INSTANTIATE_TEST_SUITE_P(InstanceGuard, LockPlace,
                         testing::Values(PlaceRow{"private_runtime_dir_is_used", 0700, true},
                                         PlaceRow{"no_runtime_dir_falls_back_to_temp", 0, false},
                                         PlaceRow{"shared_runtime_dir_falls_back", 01777, false}),
                         RowName<PlaceRow>);

TEST(InstanceGuard, StartedProgramsDoNotInheritTheLock) {
    const test::TempDir scratch;
    const LockPlaces places{std::nullopt, scratch.Path().string(), std::nullopt};
    pid_t child = -1;
    {
        const InstanceGuard guard = InstanceGuard::AcquireIn(places);
        ASSERT_TRUE(guard.Owned());
        if ((child = ::fork()) == 0) {
            ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ::usleep(100 * 1000);  // time for the child to reach exec
    EXPECT_TRUE(InstanceGuard::AcquireIn(places).Owned());
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
    const LockPlaces places{std::nullopt, scratch.Path().string(), privateDir};
    const std::string victim = scratch.File("victim");
    const int planted = GetParam().plant(LockFilePaths(places, ::geteuid()).front(), victim);
    if (planted == kNeedsRoot)
        GTEST_SKIP() << "giving a file to someone else needs root";
    ASSERT_EQ(planted, 0);
    const LockPlaces withoutPrivate{std::nullopt, scratch.Path().string(), std::nullopt};
    EXPECT_FALSE(InstanceGuard::AcquireIn(withoutPrivate).Owned());
    {
        const InstanceGuard guard = InstanceGuard::AcquireIn(places);
        EXPECT_TRUE(guard.Owned());
        EXPECT_TRUE(std::filesystem::is_regular_file(privateDir + "/Dostrel"));
        pid_t second = ::fork();
        if (second == 0)
            ::_exit(InstanceGuard::AcquireIn(places).Owned() ? 1 : 0);
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
