// Kills a saving process at many different moments, or lets two save at once, and checks that the
// settings file always holds one complete save: the one before, or one of the two the processes
// alternate between.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "save_loop.h"
#include "settings/settings.h"
#include "test_support.h"

namespace palvoren {
namespace {

using test::FakeWindow;
using test::TempDir;

// Starts the probe in save-loop mode and returns once it has said it is ready.
pid_t StartSaveLoop(const std::string& probe) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        ::execl(probe.c_str(), probe.c_str(), "save-loop", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    char ready[6] = {};
    const ssize_t n = ::read(pipeEnds[0], ready, sizeof ready);
    ::close(pipeEnds[0]);
    return n == static_cast<ssize_t>(sizeof ready) ? child : -1;
}

TEST(SaveKill, AKilledSaveLeavesOneCompleteFile) {
    TempDir dir;
    const std::string probe = dir.File("palvoren");
    std::filesystem::copy_file(PALVOREN_PROBE, probe);
    const std::string settings = dir.File("palvoren.ini");

    FakeWindow initial;
    initial.top = 7;
    initial.fields[1] = "initial";
    SaveSettings(initial, settings);

    constexpr int kKills = 80;
    int sawInitial = 0;
    int sawSaves = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = StartSaveLoop(probe);
        ASSERT_GT(child, 0);
        // Spread the kills over the first 40 ms of saving, in steps that do not line up with a
        // save.
        std::this_thread::sleep_for(std::chrono::microseconds((kill * 509) % 40000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        FakeWindow loaded;
        LoadSettings(loaded, settings);
        const bool whole = test::IsWholeSaveLoopWindow(loaded, 0) ||
                           test::IsWholeSaveLoopWindow(loaded, 1) ||
                           (loaded.top == 7 && loaded.fields == initial.fields);
        ASSERT_TRUE(whole) << "kill " << kill << " left a mixed file: top=" << loaded.top;
        (loaded.top == 7 ? sawInitial : sawSaves)++;
    }
    EXPECT_GT(sawSaves, 0) << "no save completed before a kill; the test proves nothing";

    // A save that finishes leaves nothing of its own beside the file.
    const std::ptrdiff_t before = test::Entries(dir.Path());
    SaveSettings(initial, settings);
    EXPECT_EQ(test::Entries(dir.Path()), before);
    RecordProperty("kills_with_initial_file", sawInitial);
}

// Two users running one program from a shared folder: their saves meet, and each must still
// leave a whole file for the other and for the next start.
TEST(SaveKill, TwoSavesThatMeetLeaveAWholeFile) {
    TempDir dir;
    const std::string probe = dir.File("palvoren");
    std::filesystem::copy_file(PALVOREN_PROBE, probe);
    const std::string settings = dir.File("palvoren.ini");
    SaveSettings(test::SaveLoopWindow(0), settings);
    const pid_t loops[] = {StartSaveLoop(probe), StartSaveLoop(probe)};
    for (int load = 0; load < 300 && loops[0] > 0 && loops[1] > 0; ++load) {
        FakeWindow loaded;
        LoadSettings(loaded, settings);
        EXPECT_TRUE(test::IsWholeSaveLoopWindow(loaded, 0) ||
                    test::IsWholeSaveLoopWindow(loaded, 1))
            << "load " << load << " found a cut file: top=" << loaded.top;
    }
    for (const pid_t loop : loops) {
        EXPECT_GT(loop, 0) << "a save loop did not start";
        if (loop > 0) {
            ::kill(loop, SIGKILL);
            ::waitpid(loop, nullptr, 0);
        }
    }
}

}  // namespace
}  // namespace palvoren
