// Which wait results let the program run, and where the lock file goes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "app/instance_guard.h"
#include "test_support.h"

namespace palvoren {
namespace {

struct WaitRow {
    const char* name;
    std::uint32_t code;
    WaitOutcome outcome;
    bool owned;
};

class WaitCodeTable : public testing::TestWithParam<WaitRow> {};

TEST_P(WaitCodeTable, DecidesWhetherToRun) {
    const WaitRow& row = GetParam();
    EXPECT_EQ(WaitOutcomeFromCode(row.code), row.outcome);
    EXPECT_EQ(OwnsInstance(row.outcome), row.owned);
}

INSTANTIATE_TEST_SUITE_P(
    InstanceGuard, WaitCodeTable,
    testing::Values(
        WaitRow{"free_mutex_is_taken", kWaitObject0, WaitOutcome::kSignaled, true},
        WaitRow{"abandoned_mutex_is_taken_over", kWaitAbandoned, WaitOutcome::kAbandoned, true},
        WaitRow{"held_mutex_means_another_copy", kWaitTimeout, WaitOutcome::kTimedOut, false},
        WaitRow{"failed_wait_does_not_run", kWaitFailed, WaitOutcome::kFailed, false},
        WaitRow{"second_object_of_a_multiple_wait_is_no_ownership", 1, WaitOutcome::kFailed, false},
        WaitRow{"io_completion_is_no_ownership", 0xC0, WaitOutcome::kFailed, false}),
    [](const testing::TestParamInfo<WaitRow>& info) { return std::string(info.param.name); });

TEST(InstanceGuard, NameThatCannotBeOpenedDoesNotRun) {
    EXPECT_FALSE(OwnsInstance(WaitOutcome::kNoHandle));
}

// Each row prepares the runtime folder inside a scratch folder and says where the lock must go.
struct PlaceRow {
    const char* name;
    void (*prepare)(const std::string& runtimeDir);
    bool useRuntimeDir;  // false: the per-user name in the temporary folder
};

void MakeDir(const std::string& dir, mode_t mode) {
    ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(dir.c_str(), mode), 0);
}

class LockPlaceTable : public testing::TestWithParam<PlaceRow> {};

TEST_P(LockPlaceTable, ChoosesTheFolder) {
    const test::TempDir scratch;
    const std::string runtimeDir = scratch.File("run");
    GetParam().prepare(runtimeDir);
    const LockPlaces places{runtimeDir, scratch.File("tmp")};
    const unsigned uid = ::geteuid();
    const std::string expected = GetParam().useRuntimeDir
                                     ? runtimeDir + "/Dostrel"
                                     : scratch.File("tmp") + "/Dostrel-" + std::to_string(uid);
    EXPECT_EQ(LockFilePath(places, uid), expected);
}

INSTANTIATE_TEST_SUITE_P(
    InstanceGuard, LockPlaceTable,
    testing::Values(PlaceRow{"private_runtime_dir_is_used",
                             [](const std::string& d) { MakeDir(d, 0700); }, true},
                    PlaceRow{"readable_runtime_dir_is_used",
                             [](const std::string& d) { MakeDir(d, 0755); }, true},
                    PlaceRow{"missing_runtime_dir_falls_back", [](const std::string&) {}, false},
                    PlaceRow{"group_writable_runtime_dir_falls_back",
                             [](const std::string& d) { MakeDir(d, 0770); }, false},
                    PlaceRow{"world_writable_runtime_dir_falls_back",
                             [](const std::string& d) { MakeDir(d, 01777); }, false},
                    PlaceRow{"runtime_path_that_is_a_file_falls_back",
                             [](const std::string& d) { std::ofstream{d}; }, false}),
    [](const testing::TestParamInfo<PlaceRow>& info) { return std::string(info.param.name); });

TEST(InstanceGuard, UnsetOrRelativeRuntimeDirFallsBack) {
    const unsigned uid = ::geteuid();
    const std::string fallback = "/scratch/Dostrel-" + std::to_string(uid);
    EXPECT_EQ(LockFilePath(LockPlaces{std::nullopt, "/scratch"}, uid), fallback);
    EXPECT_EQ(LockFilePath(LockPlaces{"", "/scratch"}, uid), fallback);
    EXPECT_EQ(LockFilePath(LockPlaces{".", "/scratch"}, uid), fallback);
}

TEST(InstanceGuard, AnotherUsersRuntimeDirFallsBack) {
    const test::TempDir scratch;
    const unsigned otherUid = ::geteuid() + 1;
    EXPECT_EQ(LockFilePath(LockPlaces{scratch.Path().string(), "/scratch"}, otherUid),
              "/scratch/Dostrel-" + std::to_string(otherUid));
}

}  // namespace
}  // namespace palvoren
