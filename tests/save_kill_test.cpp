// Kills a saving process at many different moments, or lets two save at once, and checks that the
// settings file always holds one complete save: the one before, or one of the two the processes
// alternate between.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
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

// What the kills left: the file before, one of the loop's saves, or neither.
struct KillCounts {
    int initial = 0;
    int saves = 0;
    int mixed = 0;
};

// Kills a save loop in the probe's folder many times, each on the file as `reset` leaves it, and
// spreads the kills over the first 40 ms of saving, in steps that do not line up with a save.
KillCounts KillSaves(const std::string& probe, const std::string& settings,
                     const FakeWindow& initial, const std::function<void()>& reset) {
    KillCounts counts;
    for (int kill = 0; kill < 80; ++kill) {
        reset();
        const pid_t child = StartSaveLoop(probe);
        if (child <= 0) {
            ADD_FAILURE() << "the save loop did not start";
            return counts;
        }
        std::this_thread::sleep_for(std::chrono::microseconds((kill * 509) % 40000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        FakeWindow loaded;
        LoadSettings(loaded, settings);
        if (loaded.top == initial.top && loaded.fields == initial.fields)
            ++counts.initial;
        else if (test::IsWholeSaveLoopWindow(loaded, 0) || test::IsWholeSaveLoopWindow(loaded, 1))
            ++counts.saves;
        else
            ++counts.mixed;
    }
    return counts;
}

// A folder with a copy of the probe, which saves into the settings file beside it.
struct ProbeFolder {
    ProbeFolder() { std::filesystem::copy_file(PALVOREN_PROBE, probe); }
    TempDir dir;
    const std::string probe = dir.File("palvoren");
    const std::string settings = dir.File("palvoren.ini");
};

// The file's contents before the kills: its own Top and one field of its own.
FakeWindow SaveInitial(const std::string& settings, int field) {
    FakeWindow initial;
    initial.top = 7;
    initial.fields[static_cast<std::size_t>(field)] = "initial";
    SaveSettings(initial, settings);
    return initial;
}

TEST(SaveKill, AKilledSaveLeavesOneCompleteFile) {
    const ProbeFolder folder;
    const FakeWindow initial = SaveInitial(folder.settings, 1);
    const KillCounts counts = KillSaves(folder.probe, folder.settings, initial, [] {});
    EXPECT_EQ(counts.mixed, 0);
    EXPECT_GT(counts.saves, 0) << "no save completed before a kill; the test proves nothing";
    RecordProperty("kills_with_initial_file", counts.initial);

    // A save that finishes leaves nothing of its own beside the file.
    const std::ptrdiff_t before = test::Entries(folder.dir.Path());
    SaveSettings(initial, folder.settings);
    EXPECT_EQ(test::Entries(folder.dir.Path()), before);
}

// Where no new file can be made, the save writes in place, which a kill can cut only while the
// new text is moved over the old: before that the old text, even one without a line break at its
// end, still reads as it was.
TEST(SaveKill, AKilledSaveInPlaceLeavesTheOldValuesOrOneSave) {
    const ProbeFolder folder;
    const std::string& settings = folder.settings;
    const FakeWindow initial = SaveInitial(settings, 96);
    std::string initialText = test::ReadFile(settings);
    initialText.pop_back();  // the line break
    const test::Immutable immutable(folder.dir.Path().string());
    if (!immutable.Set())
        GTEST_SKIP() << "chattr +i is not possible here, and so no folder that takes no new files";
    const KillCounts counts =
        KillSaves(folder.probe, settings, initial, [&] { test::WriteFile(settings, initialText); });
    EXPECT_LE(counts.mixed, 4) << counts.initial << " kills left the old file, " << counts.saves
                               << " a save";
    EXPECT_GT(counts.saves, 0) << "no save completed before a kill; the test proves nothing";
    EXPECT_GT(counts.initial, 0);
}

// Two users running one program from a shared folder: their saves meet, and each must still
// leave a whole file for the other and for the next start.
TEST(SaveKill, TwoSavesThatMeetLeaveAWholeFile) {
    const ProbeFolder folder;
    const std::string& settings = folder.settings;
    SaveSettings(test::SaveLoopWindow(0), settings);
    const pid_t loops[] = {StartSaveLoop(folder.probe), StartSaveLoop(folder.probe)};
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
