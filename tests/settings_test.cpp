#include "settings/settings.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/ini_file.h"
#include "settings/settings_path.h"
#include "test_support.h"

namespace palvoren {
namespace {

using test::DataFile;
using test::FakeWindow;
#ifndef _WIN32
using test::Immutable;
#endif
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(Settings, NoFileKeepsTheDefaultsAndTheFirstSaveWritesEveryKeyInOrder) {
    TempDir dir;
    const std::string path = dir.File("palvoren.ini");
    FakeWindow window;
    LoadSettings(window, path);
    EXPECT_EQ(window.top, 108);
    EXPECT_EQ(window.left, 191);
    for (int n = 1; n <= 96; ++n)
        EXPECT_EQ(window.fields[n], "") << n;
    EXPECT_FALSE(std::filesystem::exists(path)) << "loading must not create the file";

    SaveSettings(window, path);
    EXPECT_EQ(ReadFile(path), test::NativeLines(DataFile("first_save.ini")));
}

struct PositionCase {
    const char* rule;
    std::optional<std::string> top;  // nothing: no Top key at all
    std::optional<std::string> left;
    std::int32_t expectedTop;
    std::int32_t expectedLeft;
};

// How the position is taken from the file; which texts are integers is IntText's to test.
const std::vector<PositionCase> kPositions{
    {"0x prefix is read as hex", "0x64", "0X64", 100, 100},
    {"a text that is no integer keeps the design position", "12abc", "5 ", 108, 191},
    {"empty values keep the design position", "", "", 108, 191},
    {"missing keys keep the design position", std::nullopt, std::nullopt, 108, 191},
    {"far off screen is applied unchanged", "-2147483648", "-1000000", -2147483647 - 1, -1000000},
};

TEST(Settings, PositionValues) {
    for (const PositionCase& c : kPositions) {
        SCOPED_TRACE(c.rule);
        TempDir dir;
        std::string text = "[Form]\n";
        if (c.top)
            text += "Top=" + *c.top + "\n";
        if (c.left)
            text += "Left=" + *c.left + "\n";
        WriteFile(dir.File("p.ini"), text);
        FakeWindow window;
        LoadSettings(window, dir.File("p.ini"));
        EXPECT_EQ(window.top, c.expectedTop);
        EXPECT_EQ(window.left, c.expectedLeft);
    }
}

TEST(Settings, FieldTextsRoundTripByteForByte) {
    const std::vector<std::string> texts{
        "abc",
        "  leading",
        "trailing  ",
        "\"quoted\"",
        "'single'",
        "a=b=c",
        ";not a comment",
        "[not a section]",
        "日本語",
        "３",
#ifndef _WIN32
        // Bytes that are not UTF-8 pass through where the file holds UTF-8. On Windows every
        // text goes through the code page, and the window never holds such bytes.
        "\x81\x40\xff",
#endif
        "tab\there",
        std::string(2047, 'x'),
        "#hash",
        "",
        "=",
        "edit2=injected?",
#ifndef _WIN32
        // A byte-order mark inside a value is no mark. The code pages of Windows lack it.
        "\xEF\xBB\xBF"
        "bom inside",
#endif
    };
    TempDir dir;
    FakeWindow saved;
    for (std::size_t i = 0; i < texts.size(); ++i)
        saved.fields[i + 1] = texts[i];
    saved.fields[96] = "last";
    SaveSettings(saved, dir.File("r.ini"));
    FakeWindow loaded;
    LoadSettings(loaded, dir.File("r.ini"));
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(loaded.fields[i + 1], texts[i]) << i;
    EXPECT_EQ(loaded.fields[96], "last");
}

TEST(Settings, LineBreaksInAFieldCannotInjectKeys) {
    TempDir dir;
    FakeWindow saved;
    saved.fields[1] = "1\nedit2=9\r\n[Form]\nTop=5";
    SaveSettings(saved, dir.File("n.ini"));
    FakeWindow loaded;
    LoadSettings(loaded, dir.File("n.ini"));
    EXPECT_EQ(loaded.fields[1], "1 edit2=9\r [Form] Top=5");
    EXPECT_EQ(loaded.fields[2], "");
    EXPECT_EQ(loaded.top, 108);
}

TEST(Settings, LongValuesComeBackAsTheirFirst2047Bytes) {
    TempDir dir;
    std::string value;
    for (int i = 0; i < 3000; ++i)
        value += static_cast<char>('a' + i % 26);
    WriteFile(dir.File("l.ini"), "[Value]\nedit1=" + value + "\nedit2=7\n");
    FakeWindow window;
    LoadSettings(window, dir.File("l.ini"));
    EXPECT_EQ(window.fields[1], value.substr(0, 2047));
    EXPECT_EQ(window.fields[2], "7");
}

TEST(Settings, ASaveChangesOnlyItsOwnKeys) {
    TempDir dir;
    const std::string path = test::CopyFixture(dir, "extra_sections.ini");
    FakeWindow window;
    LoadSettings(window, path);
    EXPECT_EQ(window.left, 40);
    EXPECT_EQ(window.top, 108);
    EXPECT_EQ(window.fields[1], "3");
    EXPECT_EQ(window.fields[2], "1");
    SaveSettings(window, path);
    EXPECT_EQ(ReadFile(path), DataFile("extra_sections.saved.ini"));
}

TEST(Settings, ByteOrderMarkAndCrlfAreReadAndKept) {
    TempDir dir;
    const std::string path = test::CopyFixture(dir, "bom_crlf.ini");
    FakeWindow window;
    LoadSettings(window, path);
    EXPECT_EQ(window.top, 100);
    EXPECT_EQ(window.left, 16);
    EXPECT_EQ(window.fields[5], "2");
    EXPECT_EQ(window.fields[6], "  two blanks");
    SaveSettings(window, path);
    const std::string saved = ReadFile(path);
    EXPECT_TRUE(saved.starts_with("\xEF\xBB\xBF[Form]\r\nTop=100\r\nLeft=16\r\n\r\n[Value]\r\n"));
    EXPECT_NE(saved.find("edit6=  two blanks\r\nedit1=\r\n"), std::string::npos);
    EXPECT_EQ(saved.find("\n\n"), std::string::npos) << "no bare LF in a CRLF file";
}

TEST(Settings, RealScoresSurviveALoadAndSaveUnchanged) {
    TempDir dir;
    const std::string path = test::CopyFixture(dir, "wc2002.ini");
    const std::string original = ReadFile(path);
    FakeWindow window;
    LoadSettings(window, path);
    EXPECT_EQ(window.fields[7], "8");  // Germany 8, Saudi Arabia 0
    EXPECT_EQ(window.fields[8], "0");
    SaveSettings(window, path);
    EXPECT_EQ(ReadFile(path), original);
}

// Between the load and the save: what the user did and what happened to the file meanwhile.
struct RunCase {
    const char* rule;
    bool unreadableAtLoad;
    std::function<void(FakeWindow&, std::string& file)> meanwhile;
    std::vector<std::pair<std::string, std::string>> expected;  // lines of the file that change
};

// The fixture has CR LF line ends.
const std::vector<RunCase> kRuns{
    {"a run that changes nothing leaves the file byte for byte",
     false,
     [](FakeWindow&, std::string&) {},
     {}},
    {"a file unreadable at the start keeps every value not changed",
     true,
     [](FakeWindow& w, std::string&) { w.fields[3] = "4", w.left = 300; },
     {{"edit3=1\r\n", "edit3=4\r\n"}, {"Left=191\r\n", "Left=300\r\n"}}},
    {"a value another program wrote since the start stays",
     false,
     [](FakeWindow& w, std::string& file) {
         file.replace(file.find("edit1=0"), 7, "edit1=7");
         w.fields[2] = "5";
     },
     {{"edit1=0\r\n", "edit1=7\r\n"}, {"edit2=1\r\n", "edit2=5\r\n"}}},
    {"a key the file lost since the start is written again",
     false,
     [](FakeWindow& w, std::string& file) {
         file.erase(file.find("edit5=1\r\n"), 9);
         w.fields[1] = "";
     },
     {{"edit5=1\r\n", ""},
      {"edit1=0\r\n", "edit1=\r\n"},
      {"edit96=1\r\n", "edit96=1\r\nedit5=1\r\n"}}},
};

TEST(Settings, ASaveWritesOnlyWhatTheProgramChanged) {
    for (const RunCase& c : kRuns) {
        SCOPED_TRACE(c.rule);
        TempDir dir;
        const std::string path = dir.File("palvoren.ini");
        std::string file = DataFile("wc2002.ini");
        if (c.unreadableAtLoad)
            std::filesystem::create_directory(path);
        else
            WriteFile(path, file);
        FakeWindow window;
        LoadedValues loaded;
        LoadSettings(window, path, &loaded);
        c.meanwhile(window, file);
        std::filesystem::remove(path);
        WriteFile(path, file);
        SaveSettings(window, path, &loaded);
        std::string expected = DataFile("wc2002.ini");
        for (const auto& [before, after] : c.expected)
            expected.replace(expected.find(before), before.size(), after);
        EXPECT_EQ(ReadFile(path), expected);
    }
}

TEST(Settings, AFailingLoadPlacesTheWindowAt100AndStopsThere) {
    TempDir dir;
    const std::string path = test::CopyFixture(dir, "wc2002.ini");
    FakeWindow window;
    window.failAtField = 50;
    window.fields[60] = "untouched";
    LoadSettings(window, path);
    EXPECT_EQ(window.top, 100);
    EXPECT_EQ(window.left, 100);
    EXPECT_EQ(window.fields[49], "1");
    EXPECT_EQ(window.fields[60], "untouched");
}

struct PathCase {
    const char* rule;
    std::string executable;
    char separator;
    std::string expected;
};

const std::vector<PathCase> kPaths{
    {"extension replaced", "C:\\Tools\\scores.exe", '\\', "C:\\Tools\\scores.ini"},
    {"renamed executable", "C:\\Tools\\other.exe", '\\', "C:\\Tools\\other.ini"},
    {"dot in a folder name only", "C:\\a.b\\prog", '\\', "C:\\a.b\\prog.ini"},
    {"drive colon decides", "C:prog", '\\', "C:prog.ini"},
    {"POSIX path without extension", "/usr/bin/palvoren", '/', "/usr/bin/palvoren.ini"},
    {"POSIX dot in a folder", "/opt/v1.2/palvoren", '/', "/opt/v1.2/palvoren.ini"},
    {"POSIX extension", "/opt/palvoren.bin", '/', "/opt/palvoren.ini"},
    {"POSIX backslash is an ordinary byte", "/opt/a.b\\c", '/', "/opt/a.ini"},
    {"UTF-8 names", "/home/日本/プロ.グラム", '/', "/home/日本/プロ.ini"},
};

TEST(SettingsPath, DerivedFromTheExecutable) {
    for (const PathCase& c : kPaths) {
        SCOPED_TRACE(c.rule);
        EXPECT_EQ(SettingsPathFor(c.executable, c.separator), c.expected);
    }
}

#ifndef _WIN32
std::string RunCommand(const std::string& command, int expectedStatus = 0) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return output;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    EXPECT_EQ(WEXITSTATUS(::pclose(pipe)), expectedStatus) << output;
    return output;
}

std::string RunProbe(const std::string& executable, const std::string& arguments) {
    return RunCommand("'" + executable + "' " + arguments);
}

// Without /proc the program cannot find itself, and so not its settings file either: the save
// says that, rather than naming a file it never tried.
TEST(SettingsPath, ASaveWithoutTheProgramsPathSaysWhatWentWrong) {
    if (std::system("unshare --mount true 2>/dev/null") != 0)
        GTEST_SKIP() << "no mount namespace here";
    // A sanitizer runtime misses /proc too and says so; only the program's own line counts.
    const std::string output = RunCommand(
        "ASAN_OPTIONS=detect_leaks=0 unshare --mount sh -c 'mount -t tmpfs none /proc "
        "&& exec \"" +
            std::string(PALVOREN_PROBE) + "\" save 7 x' 2>&1",
        1);
    EXPECT_NE(("\n" + output).find("\n実行ファイルの場所が分からないため、設定を保存できません\n"),
              std::string::npos)
        << output;
}

TEST(SettingsPath, ARenamedExecutableUsesTheFileOfItsNewName) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "v1.2");
    const std::string renamed = dir.File("v1.2/scores.bin");
    std::filesystem::copy_file(PALVOREN_PROBE, renamed);
    WriteFile(dir.File("v1.2/palvoren.ini"), "[Value]\nedit1=former\n");
    WriteFile(dir.File("v1.2/scores.ini"), "[Form]\nTop=5\n[Value]\nedit1=mine\n");

    EXPECT_EQ(RunProbe(renamed, "path"), dir.File("v1.2/scores.ini") + "\n");
    EXPECT_EQ(RunProbe(renamed, "load"), "top=5 left=191 edit1=mine\n");
    RunProbe(renamed, "save 7 saved");
    EXPECT_NE(ReadFile(dir.File("v1.2/scores.ini")).find("edit1=saved\n"), std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("v1.2/palvoren.ini")), "[Value]\nedit1=former\n");
}

// The place is decided from what is beside the program and from the environment; "/" at the start
// of a variable's value stands for the test's temporary folder, where the expected path lies too.
struct PlaceCase {
    const char* rule;
    bool folderTakesFiles;
    bool fileBeside;
    const char* xdgConfigHome;
    const char* home;
    const char* expected;
};

const std::vector<PlaceCase> kPlaces{
    {"a folder that takes files keeps them beside the program", true, false, "/cfg", "/home",
     "bin/palvoren.ini"},
    {"a file beside the program stays the user's choice", false, true, "/cfg", "/home",
     "bin/palvoren.ini"},
    {"installed where no one writes: XDG_CONFIG_HOME", false, false, "/cfg", "/home",
     "cfg/palvoren/palvoren.ini"},
    {"XDG_CONFIG_HOME unset: .config in the home folder", false, false, nullptr, "/home",
     "home/.config/palvoren/palvoren.ini"},
    {"a relative XDG_CONFIG_HOME is ignored", false, false, "cfg", "/home",
     "home/.config/palvoren/palvoren.ini"},
    {"no place known: beside the program, where the save reports", false, false, nullptr, "home",
     "bin/palvoren.ini"},
};

TEST(SettingsPath, BesideTheProgramWhereThatWorksElseInTheUsersConfiguration) {
    for (const PlaceCase& c : kPlaces) {
        SCOPED_TRACE(c.rule);
        TempDir dir;
        const std::filesystem::path bin = dir.Path() / "bin";
        std::filesystem::create_directory(bin);
        if (c.fileBeside)
            WriteFile((bin / "palvoren.ini").string(), "");
        std::optional<Immutable> frozen;
        if (!c.folderTakesFiles) {
            ::chmod(bin.c_str(), 0555);
            if (::access(bin.c_str(), W_OK) == 0)  // root: the mode does not bind it
                frozen.emplace(bin.string());
            if (::access(bin.c_str(), W_OK) == 0)
                GTEST_SKIP() << "no folder here refuses new files";
        }
        const auto value = [&dir](const char* v) {
            return v != nullptr && v[0] == '/' ? dir.Path().string() + v : std::string(v ? v : "");
        };
        const std::string xdg = value(c.xdgConfigHome);
        const std::string home = value(c.home);
        EXPECT_EQ(
            ChooseSettingsPath((bin / "palvoren").string(), c.xdgConfigHome ? xdg.c_str() : nullptr,
                               c.home ? home.c_str() : nullptr),
            (dir.Path() / c.expected).string());
        frozen.reset();
        ::chmod(bin.c_str(), 0755);
    }
}

// The configuration folder may not be there yet, nor the folder above it.
TEST(Settings, TheFirstSaveMakesTheFileWithItsFolders) {
    TempDir dir;
    const std::string path = dir.File("config/palvoren/palvoren.ini");
    FakeWindow saved;
    saved.fields[1] = "3";
    SaveSettings(saved, path);
    FakeWindow loaded;
    LoadSettings(loaded, path);
    EXPECT_EQ(loaded.fields[1], "3");
}
#endif

}  // namespace
}  // namespace palvoren
