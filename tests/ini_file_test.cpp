#include "settings/ini_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "settings/file_io.h"
#include "settings/settings.h"
#include "test_support.h"

namespace palvoren {
namespace {

using test::DataFile;
using test::Entries;
using test::FakeWindow;
#ifndef _WIN32
using test::Immutable;
#endif
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const IniKeys& Keys() {
    static const IniKeys keys = [] {
        IniKeys k;
        for (const char* key : {"Top", "hex", "short", "bad", "missing"})
            k.Add("Form", key);
        k.Add("Value", "edit1");
        return k;
    }();
    return keys;
}

TEST(IniFile, ConstructingAndReadingNeverCreateTheFile) {
    TempDir dir;
    const std::string path = dir.File("none.ini");
    {
        TIniFile ini(path, Keys());
        EXPECT_EQ(ini.ReadText("Value", "edit1", "dflt"), "dflt");
        EXPECT_EQ(ini.ReadNumber("Form", "Top", 108), 108);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

// The integer rules themselves are IntText's; these are the number reader's own.
TEST(IniFile, ReadNumberReadsAHexPrefixAndFallsBack) {
    TempDir dir;
    WriteFile(dir.File("n.ini"), "[Form]\nhex=0x1f\nshort=0x\nbad=12abc\n");
    TIniFile ini(dir.File("n.ini"), Keys());
    EXPECT_EQ(ini.ReadNumber("Form", "hex", 0), 31);
    EXPECT_EQ(ini.ReadNumber("Form", "short", 3), 3);
    EXPECT_EQ(ini.ReadNumber("Form", "bad", 3), 3);
    EXPECT_EQ(ini.ReadNumber("Form", "missing", -9), -9);
    EXPECT_THROW(ini.ReadText("Form", "unknown", ""), std::logic_error);
}

TEST(IniFile, WritesReachTheFileOnlyWhenFlushedOrReleased) {
    TempDir dir;
    const std::string path = dir.File("w.ini");
    {
        TIniFile ini(path, Keys());
        ini.WriteNumber("Form", "Top", -5);
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(ini.ReadNumber("Form", "Top", 0), -5) << "reads see the object's own writes";
    }
    EXPECT_EQ(ReadFile(path), test::NativeLines("[Form]\nTop=-5\n"));
}

TEST(IniFile, WritesAreDroppedWhenAnErrorUnwinds) {
    TempDir dir;
    const std::string path = dir.File("u.ini");
    WriteFile(path, "[Form]\nTop=1\n");
    try {
        TIniFile ini(path, Keys());
        ini.WriteText("Form", "Top", "2");
        throw std::runtime_error("midway");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ReadFile(path), "[Form]\nTop=1\n");
}

// Each case makes a save fail in a way that root cannot override.
struct FailureCase {
    const char* rule;
    std::string (*setUp)(const TempDir& dir);  // returns the settings path
};

const std::vector<FailureCase> kWriteFailures{
    {"a file without write permission bits",
     [](const TempDir& dir) {
         WriteFile(dir.File("ro.ini"), "[Form]\nTop=1\n");
         // On Windows, the read-only attribute.
         namespace fs = std::filesystem;
         fs::permissions(dir.File("ro.ini"),
                         fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
         return dir.File("ro.ini");
     }},
    {"a folder that is really a file",
     [](const TempDir& dir) {
         WriteFile(dir.File("file"), "not a folder");
         return dir.File("file/palvoren.ini");
     }},
#ifndef _WIN32
    {"a folder of the system that takes no files",
     [](const TempDir&) { return std::string("/proc/palvoren-settings.ini"); }},
#endif
    {"a folder in place of the file",
     [](const TempDir& dir) {
         std::filesystem::create_directory(dir.Path() / "dir.ini");
         WriteFile(dir.File("dir.ini/inside"), "kept");
         return dir.File("dir.ini");
     }},
};

TEST(IniFile, WriteFailuresRaiseWithThePathAndKeepTheOldFile) {
    for (const FailureCase& c : kWriteFailures) {
        SCOPED_TRACE(c.rule);
        TempDir dir;
        const std::string path = c.setUp(dir);
        const std::string before = ReadFile(path);
        const std::ptrdiff_t entries = Entries(dir.Path());
        FakeWindow window;
        window.fields[1] = "9";
        try {
            SaveSettings(window, path);
            ADD_FAILURE() << "the save reported success";
        } catch (const EIniFileException& error) {
            EXPECT_EQ(std::string(error.what()), path + " に書き込めません");
        }
        EXPECT_EQ(ReadFile(path), before);
        EXPECT_EQ(Entries(dir.Path()), entries);
    }
}

#ifndef _WIN32
// The POSIX file calls; the Windows ones are tested in windows/windows_test.cpp.

mode_t Mode(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Things that are not a settings file under the settings name. The load must neither hang nor read
// without end; it keeps the defaults. The save reports the failure and leaves the thing as it was.
struct OddKindCase {
    const char* rule;
    void (*setUp)(const std::string& path);
    std::filesystem::file_type kind;  // of the path itself, before and after
};

std::string TestExecutable() {
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

const std::vector<OddKindCase> kOddKinds{
    {"a FIFO", [](const std::string& path) { ::mkfifo(path.c_str(), 0644); },
     std::filesystem::file_type::fifo},
    {"a link to an endless device",
     [](const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); },
     std::filesystem::file_type::symlink},
    {"a link to a device of random bytes",
     [](const std::string& path) { std::filesystem::create_symlink("/dev/urandom", path); },
     std::filesystem::file_type::symlink},
    {"a socket",
     [](const std::string& path) {
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         path.copy(address.sun_path, sizeof address.sun_path - 1);
         ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
         ::close(fd);
     },
     std::filesystem::file_type::socket},
    {"a link to the running program",
     [](const std::string& path) { std::filesystem::create_symlink(TestExecutable(), path); },
     std::filesystem::file_type::symlink},
};

TEST(IniFile, OnlyARegularFileIsReadOrReplaced) {
    ::alarm(60);  // a hang ends the test run with a failure instead of holding it for good
    const auto programBefore = std::filesystem::last_write_time(TestExecutable());
    for (const OddKindCase& c : kOddKinds) {
        SCOPED_TRACE(c.rule);
        TempDir dir;
        const std::string path = dir.File("o.ini");  // short: a socket path has little room
        c.setUp(path);
        ASSERT_EQ(std::filesystem::symlink_status(path).type(), c.kind);
        FakeWindow window;
        LoadSettings(window, path);
        EXPECT_EQ(window.top, 108);
        EXPECT_EQ(window.fields[1], "");
        window.fields[1] = "9";
        EXPECT_THROW(SaveSettings(window, path), EIniFileException);
        EXPECT_EQ(std::filesystem::symlink_status(path).type(), c.kind);
        EXPECT_EQ(Entries(dir.Path()), 1);
    }
    EXPECT_EQ(std::filesystem::last_write_time(TestExecutable()), programBefore);
    ::alarm(0);
}

// Saves long texts into the file in a child process whose file size limit makes writes fail as
// on a full disk (it binds root too); true when the save raised the usual error.
bool SaveFailsOnAFullDisk(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        FakeWindow window;
        for (int n = 1; n <= 96; ++n)
            window.fields[n] = std::string(100, 'z');
        try {
            SaveSettings(window, path);
        } catch (const EIniFileException& error) {
            ::_exit(std::string(error.what()) == path + " に書き込めません" ? 0 : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(IniFile, AFullDiskRaisesAndKeepsTheOldFile) {
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "written in place" : "replaced");
        TempDir dir;
        const std::string path = test::CopyFixture(dir, "wc2002.ini");
        const Immutable folder(inPlace ? dir.Path().string() : "");
        if (inPlace && !folder.Set())
            GTEST_SKIP() << "chattr +i is not possible here";
        EXPECT_TRUE(SaveFailsOnAFullDisk(path));
        EXPECT_EQ(ReadFile(path), DataFile("wc2002.ini"));
        EXPECT_EQ(Entries(dir.Path()), 1);
    }
}

// Where no new file can be made beside the settings file, the save writes into the file itself
// exactly what a replacement would have written, whether that is longer or shorter.
TEST(IniFile, WhereNoNewFileCanBeMadeTheFileIsWrittenInPlace) {
    TempDir dir;
    TempDir elsewhere;
    const std::string path = test::CopyFixture(dir, "extra_sections.ini");
    const std::string normal = test::CopyFixture(elsewhere, "extra_sections.ini");
    ::chmod(path.c_str(), 0640);
    const Immutable folder(dir.Path().string());
    if (!folder.Set())
        GTEST_SKIP() << "chattr +i is not possible here, and so no folder that takes no new files";
    FakeWindow window;
    for (const std::string& text : {std::string(300, 'g'), std::string()}) {
        window.fields.fill(text);
        SaveSettings(window, normal);
        SaveSettings(window, path);
        EXPECT_EQ(ReadFile(path), ReadFile(normal)) << text.size() << "-byte texts";
    }
    EXPECT_EQ(Mode(path), 0640u);
    EXPECT_EQ(Entries(dir.Path()), 1);
}

ssize_t FailWrite(int, const void*, size_t) {
    errno = ENOSPC;
    return -1;
}
int FailFsync(int) {
    errno = EIO;
    return -1;
}
int FailRename(const char*, const char*) {
    errno = EXDEV;
    return -1;
}

// Writes over bytes the file holds, which only the move in place makes, fail: the first one, or
// every one past the first buffer.
bool gFailedOnce = false;
bool Overwrites(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && ::lseek(fd, 0, SEEK_CUR) < info.st_size;
}
ssize_t FailOverwriteOnce(int fd, const void* data, size_t size) {
    if (!Overwrites(fd) || std::exchange(gFailedOnce, true))
        return ::write(fd, data, size);
    errno = EIO;
    return -1;
}
ssize_t FailOverwritePastOneBuffer(int fd, const void* data, size_t size) {
    if (!Overwrites(fd) || ::lseek(fd, 0, SEEK_CUR) < 65536)
        return ::write(fd, data, size);
    errno = EIO;
    return -1;
}

bool Replace(const std::string& path, const std::string& text, const FileOps& ops) {
    return ReplaceFileText(
        path, TextEncoding::Bytes, [&](const TextSink& out) { return out(text); }, ops);
}

enum class Outcome { Replaced, Kept, CutShort };
struct ReplaceCase {
    const char* rule;
    FileOps ops;
    std::string text;      // the new text
    std::string expected;  // the file's text afterwards
    Outcome outcome;
};

TEST(IniFile, ReplaceFailsWholeAtEveryStep) {
    const FileOps real = SystemFileOps();
    std::string lines;  // two buffers' worth of the move
    for (int n = 0; n < 8000; ++n)
        lines += "edit=" + std::to_string(1000000000 + n) + "\n";
    const std::vector<ReplaceCase> cases{
        {"write fails", {FailWrite, real.fsync, real.rename}, "new", "old", Outcome::Kept},
        {"flush to disk fails", {real.write, FailFsync, real.rename}, "new", "old", Outcome::Kept},
        {"a refused rename writes in place",
         {real.write, real.fsync, FailRename},
         "new",
         "new",
         Outcome::Replaced},
        {"a write that fails once while moving in place is done again",
         {FailOverwriteOnce, real.fsync, FailRename},
         lines,
         lines,
         Outcome::Replaced},
        {"a write that keeps failing while moving in place leaves only whole new lines",
         {FailOverwritePastOneBuffer, real.fsync, FailRename},
         lines,
         lines.substr(0, lines.rfind('\n', 65535) + 1),
         Outcome::CutShort},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.rule);
        TempDir dir;
        const std::string path = dir.File("r.ini");
        WriteFile(path, "old");
        gFailedOnce = false;
        if (c.outcome == Outcome::CutShort)
            EXPECT_THROW(Replace(path, c.text, c.ops), EFileCutShort);
        else
            EXPECT_EQ(Replace(path, c.text, c.ops), c.outcome == Outcome::Replaced);
        EXPECT_EQ(ReadFile(path), c.expected);
        EXPECT_EQ(Entries(dir.Path()), 1);
    }
}

// A kill between the two steps of a write in place leaves both texts in the file: the old one
// first, so it still reads as it was, its last value too.
std::vector<std::string> gSyncedTexts;
int RecordingFsync(int fd) {
    std::string text(static_cast<std::size_t>(::lseek(fd, 0, SEEK_END)), '\0');
    gSyncedTexts.push_back(
        text.substr(0, std::max<ssize_t>(::pread(fd, text.data(), text.size(), 0), 0)));
    return ::fsync(fd);
}

TEST(IniFile, BetweenTheStepsInPlaceTheOldTextReadsAsItWas) {
    TempDir dir;
    const std::string path = dir.File("r.ini");
    WriteFile(path, "[Value]\nedit96=5");
    gSyncedTexts.clear();
    ASSERT_TRUE(Replace(path, "[Form]\nTop=1\n", {::write, RecordingFsync, FailRename}));
    ASSERT_EQ(gSyncedTexts.size(), 3u);  // the temporary file, then the file: appended, moved
    WriteFile(path, gSyncedTexts[1]);
    FakeWindow window;
    LoadSettings(window, path);
    EXPECT_EQ(window.fields[96], "5");
}

// A file that carries the name an older version gave its temporary file is the user's, not a
// leftover: the save leaves it alone.
TEST(IniFile, ReplacementKeepsPermissionsAndWritesThroughLinks) {
    TempDir dir;
    const std::string target = dir.File("real.ini");
    const std::string link = dir.File("link.ini");
    WriteFile(target, "[Form]\nTop=1\n");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink("real.ini", link);
    WriteFile(dir.File("real.ini.tmp"), "the user's own");

    FakeWindow window;
    window.top = 2;
    SaveSettings(window, link);

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Mode(target), 0640u);
    EXPECT_TRUE(ReadFile(target).starts_with("[Form]\nTop=2\nLeft=191\n[Value]\nedit1=\n"));
    EXPECT_EQ(ReadFile(dir.File("real.ini.tmp")), "the user's own");
    EXPECT_EQ(Entries(dir.Path()), 3);
}

#endif

}  // namespace
}  // namespace palvoren
