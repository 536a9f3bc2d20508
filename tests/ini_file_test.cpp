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
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <tuple>
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
        FakeWindow window;
        window.fields[1] = "9";
        try {
            SaveSettings(window, path);
            ADD_FAILURE() << "the save reported success";
        } catch (const EIniFileException& error) {
            EXPECT_EQ(std::string(error.what()), path + " に書き込めません");
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

// Makes a folder immutable for its lifetime (chattr, which binds root too): no file in it can be
// made, removed or renamed, while the files themselves stay writable.
class Immutable {
public:
    explicit Immutable(std::string path) : path_(std::move(path)), set_(Chattr("+i")) {}
    ~Immutable() {
        if (set_)
            Chattr("-i");
    }
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
    bool Set() const { return set_; }

private:
    bool Chattr(const char* flag) const {
        return std::system(
                   ("chattr " + std::string(flag) + " '" + path_ + "' 2>/dev/null").c_str()) == 0;
    }
    std::string path_;
    bool set_;
};

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
        EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    }
}

// Where no new file can be made beside the settings file, the save writes into the file itself
// exactly what a replacement would have written, whether that is longer or shorter.
TEST(IniFile, WhereNoNewFileCanBeMadeTheFileIsWrittenInPlace) {
    const std::vector<std::pair<const char*, void (*)(const std::string&)>> cases{
        {"a folder in place of the temporary file",
         [](const std::string& path) { std::filesystem::create_directory(path + ".tmp"); }},
        {"a folder that takes no new files", nullptr},
    };
    for (const auto& [rule, plant] : cases) {
        SCOPED_TRACE(rule);
        TempDir dir;
        TempDir elsewhere;
        const std::string path = test::CopyFixture(dir, "extra_sections.ini");
        const std::string normal = test::CopyFixture(elsewhere, "extra_sections.ini");
        ::chmod(path.c_str(), 0640);
        if (plant != nullptr)
            plant(path);
        const Immutable folder(plant == nullptr ? dir.Path().string() : "");
        if (plant == nullptr && !folder.Set())
            continue;  // chattr +i is not possible here
        FakeWindow window;
        for (const std::string& text : {std::string(300, 'g'), std::string()}) {
            window.fields.fill(text);
            SaveSettings(window, normal);
            SaveSettings(window, path);
            EXPECT_EQ(ReadFile(path), ReadFile(normal)) << text.size() << "-byte texts";
        }
        EXPECT_EQ(Mode(path), 0640u);
        EXPECT_EQ(std::filesystem::is_directory(path + ".tmp"), plant != nullptr);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}),
                  plant != nullptr ? 2 : 1);
    }
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

bool Replace(const std::string& path, const std::string& text, const FileOps& ops) {
    return ReplaceFileText(
        path, TextEncoding::Bytes, [&](const TextSink& out) { return out(text); }, ops);
}

TEST(IniFile, ReplaceFailsWholeAtEveryStep) {
    const FileOps real = SystemFileOps();
    const std::vector<std::tuple<const char*, FileOps, std::string>> cases{
        {"write fails", {FailWrite, real.fsync, real.rename}, "old"},
        {"flush to disk fails", {real.write, FailFsync, real.rename}, "old"},
        {"a refused rename writes in place", {real.write, real.fsync, FailRename}, "new"},
    };
    for (const auto& [rule, ops, expected] : cases) {
        SCOPED_TRACE(rule);
        TempDir dir;
        const std::string path = dir.File("r.ini");
        WriteFile(path, "old");
        EXPECT_EQ(Replace(path, "new", ops), expected == "new");
        EXPECT_EQ(ReadFile(path), expected);
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
