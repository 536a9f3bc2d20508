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

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/file_io.h"
#include "settings/settings.h"
#include "test_support.h"

namespace palvoren {
namespace {

using test::DataFile;
using test::FakeWindow;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(IniFile, ConstructingAndReadingNeverCreateTheFile) {
    TempDir dir;
    const std::string path = dir.File("none.ini");
    {
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadText("Value", "edit1", "dflt"), "dflt");
        EXPECT_EQ(ini.ReadNumber("Form", "Top", 108), 108);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(IniFile, ReadNumberReadsTheTextRules) {
    TempDir dir;
    WriteFile(dir.File("n.ini"),
              "[N]\nhex=0x1f\nHEX=1\nneg=-0X10\nblank= 7\nbad=7 \nbig=2147483648\nx=x10\n");
    TIniFile ini(dir.File("n.ini"));
    EXPECT_EQ(ini.ReadNumber("n", "hex", 0), 31) << "first of duplicate keys wins";
    EXPECT_EQ(ini.ReadNumber("N", "neg", 0), -16);
    EXPECT_EQ(ini.ReadNumber("N", "blank", 0), 7);
    EXPECT_EQ(ini.ReadNumber("N", "bad", 3), 3);
    EXPECT_EQ(ini.ReadNumber("N", "big", 3), 3);
    EXPECT_EQ(ini.ReadNumber("N", "x", 3), 16);
    EXPECT_EQ(ini.ReadNumber("N", "missing", -9), -9);
}

TEST(IniFile, WritesReachTheFileOnlyWhenFlushedOrReleased) {
    TempDir dir;
    const std::string path = dir.File("w.ini");
    {
        TIniFile ini(path);
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
        TIniFile ini(path);
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
        FakeWindow window;
        window.fields[1] = "9";
        try {
            SaveSettings(window, path);
            ADD_FAILURE() << "the save reported success";
        } catch (const EIniFileException& error) {
            EXPECT_EQ(std::string(error.what()), path + " に書き込めません");
            EXPECT_EQ(error.Path(), path);
        }
        EXPECT_EQ(ReadFile(path), before);
        EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
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
        EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    }
    EXPECT_EQ(std::filesystem::last_write_time(TestExecutable()), programBefore);
    ::alarm(0);
}

TEST(IniFile, AFullDiskRaisesAndKeepsTheOldFile) {
    TempDir dir;
    const std::string path = test::CopyFixture(dir, "wc2002.ini");
    // The file size limit makes writes fail as on a full disk; it binds root too. It is set in a
    // child so that the test process keeps its own limit.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{512, 512};
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
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: success was reported, 2: wrong message";
    EXPECT_EQ(ReadFile(path), DataFile("wc2002.ini"));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
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

TEST(IniFile, ReplaceFailsWholeAtEveryStep) {
    const FileOps real = SystemFileOps();
    const std::vector<std::pair<const char*, FileOps>> cases{
        {"write fails", {FailWrite, real.fsync, real.rename}},
        {"flush to disk fails", {real.write, FailFsync, real.rename}},
        {"rename fails", {real.write, real.fsync, FailRename}},
    };
    for (const auto& [rule, ops] : cases) {
        SCOPED_TRACE(rule);
        TempDir dir;
        const std::string path = dir.File("r.ini");
        WriteFile(path, "old");
        EXPECT_FALSE(ReplaceFile(path, "new", ops));
        EXPECT_EQ(ReadFile(path), "old");
        EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    }
}

TEST(IniFile, ReplacementKeepsPermissionsAndWritesThroughLinks) {
    TempDir dir;
    const std::string target = dir.File("real.ini");
    const std::string link = dir.File("link.ini");
    WriteFile(target, "[Form]\nTop=1\n");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink("real.ini", link);
    WriteFile(dir.File("real.ini.tmp"), "leftover of an interrupted save");

    FakeWindow window;
    window.top = 2;
    SaveSettings(window, link);

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Mode(target), 0640u);
    EXPECT_TRUE(ReadFile(target).starts_with("[Form]\nTop=2\nLeft=191\n[Value]\nedit1=\n"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("real.ini.tmp")));
}

#endif

}  // namespace
}  // namespace palvoren
