// What only Windows has: the code page at the settings file's edge, the Win32 file replacement and
// its refusals, the settings path from the module's name, and the named mutex.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "app/instance_guard.h"
#include "settings/file_io.h"
#include "settings/settings_path.h"
#include "settings/win32.h"
#include "test_support.h"

namespace palvoren {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct CodePageRow {
    const char* rule;
    unsigned codePage;
    std::string fileText;
    std::string utf8;
    bool readsBack;  // false: the code page lacks the character
};

const std::vector<CodePageRow> kCodePages{
    {"kanji", 932, "\x93\xfa\x96\x7b", "日本", true},
    {"a trail byte with the value of a backslash", 932, "\x95\x5c", "表", true},
    {"full-width digit", 932, "\x82\x52", "３", true},
    {"half-width katakana", 932, "\xb1", "ｱ", true},
    {"ASCII as it is", 932, "2a", "2a", true},
    {"Hangul is not in Shift-JIS", 932, "?", "한", false},
    {"Western accent", 1252, "\xe9", "é", true},
    {"kanji are not in the Western code page", 1252, "??", "日本", false},
};

TEST(FileText, ConvertsInTheSystemsCodePage) {
    int rows = 0;
    for (const CodePageRow& row : kCodePages) {
        if (row.codePage != ::GetACP())
            continue;
        SCOPED_TRACE(row.rule);
        ++rows;
        EXPECT_EQ(Utf8ToFileText(row.utf8, TextEncoding::Bytes), row.fileText);
        if (row.readsBack) {
            EXPECT_EQ(FileTextToUtf8(row.fileText, TextEncoding::Bytes), row.utf8);
        }
    }
    EXPECT_GT(rows, 0) << "no rows for code page " << ::GetACP();
}

bool Replace(const std::string& path, const std::string& text,
             const FileOps& ops = SystemFileOps()) {
    return ReplaceFileText(
        path, TextEncoding::Bytes, [&](const TextSink& out) { return out(text); }, ops);
}

// Writes over bytes the file holds, which only the move in place makes, fail: the first one, or
// every one past the first buffer.
bool gFailedOnce = false;
std::int64_t Overwrites(void* file) {
    LARGE_INTEGER at{};
    LARGE_INTEGER size{};
    const bool valid = ::SetFilePointerEx(file, LARGE_INTEGER{}, &at, FILE_CURRENT) &&
                       ::GetFileSizeEx(file, &size) && at.QuadPart < size.QuadPart;
    return valid ? at.QuadPart : -1;  // where, or -1 for none
}
int FailOverwriteOnce(void* file, const void* data, unsigned long size, unsigned long* written,
                      _OVERLAPPED* overlapped) {
    if (Overwrites(file) < 0 || std::exchange(gFailedOnce, true))
        return ::WriteFile(file, data, size, written, overlapped);
    return FALSE;
}
int FailOverwritePastOneBuffer(void* file, const void* data, unsigned long size,
                               unsigned long* written, _OVERLAPPED* overlapped) {
    if (Overwrites(file) < 65536)
        return ::WriteFile(file, data, size, written, overlapped);
    return FALSE;
}

TEST(WindowsFiles, ReplaceFailsWholeAtEveryStep) {
    const FileOps real = SystemFileOps();
    const auto failWrite = [](void*, const void*, unsigned long, unsigned long*, _OVERLAPPED*) {
        return FALSE;
    };
    const auto failFlush = [](void*) { return FALSE; };
    const auto failMove = [](const wchar_t*, const wchar_t*, unsigned long) { return FALSE; };
    std::string lines;  // two buffers' worth of the move
    for (int n = 0; n < 8000; ++n)
        lines += "edit=" + std::to_string(1000000000 + n) + "\r\n";
    const std::string cut = lines.substr(0, lines.rfind('\n', 65535) + 1);
    // The rule, the system calls, the new text, the file's text afterwards; "cut" is thrown.
    const std::vector<std::tuple<const char*, FileOps, std::string, std::string>> cases{
        {"write fails", {failWrite, real.flush, real.move}, "new", "old"},
        {"flush to disk fails", {real.write, failFlush, real.move}, "new", "old"},
        {"a refused move writes in place", {real.write, real.flush, failMove}, "new", "new"},
        {"a write that fails once while moving in place is done again",
         {FailOverwriteOnce, real.flush, failMove},
         lines,
         lines},
        {"a write that keeps failing while moving in place leaves only whole new lines",
         {FailOverwritePastOneBuffer, real.flush, failMove},
         lines,
         cut},
    };
    for (const auto& [rule, ops, text, expected] : cases) {
        SCOPED_TRACE(rule);
        TempDir dir;
        const std::string path = dir.File("r.ini");
        WriteFile(path, "old");
        gFailedOnce = false;
        if (expected == cut)
            EXPECT_THROW(Replace(path, text, ops), EFileCutShort);
        else
            EXPECT_EQ(Replace(path, text, ops), expected == text);
        EXPECT_EQ(ReadFile(path), expected);
        EXPECT_EQ(test::Entries(dir.Path()), 1);
    }
}

TEST(WindowsFiles, ReplacementKeepsTheHiddenAttribute) {
    TempDir dir;
    const std::string path = dir.File("h.ini");
    WriteFile(path, "old");
    WriteFile(path + ".tmp", "the user's own");
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(Replace(path, "new"));
    EXPECT_EQ(ReadFile(path), "new");
    EXPECT_NE(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(ReadFile(path + ".tmp"), "the user's own") << "a file that had the name is not ours";
    EXPECT_EQ(test::Entries(dir.Path()), 2);
}

// UTF-16 LE with its byte-order mark, as the system's own profile functions write such a file.
std::string Utf16(std::wstring_view text, bool mark = true) {
    return (mark ? std::string("\xFF\xFE") : std::string()) +
           std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

TEST(WindowsFiles, AUtf16FileIsReadAndWrittenAsUtf16) {
    TempDir dir;
    const std::string path = dir.File("u.ini");
    // Hangul is not in code page 932; the smiley's surrogate pair is cut by the end of the first
    // piece read (unit 32767 of the file, the mark being unit 0).
    const std::wstring other =
        L"[Other]\r\nk=" + std::wstring(32767 - 12, L'x') + L"\U0001F600한\r\n";
    WriteFile(path, Utf16(other + L"[Form]\r\nTop=120\r\n[Value]\r\nedit1=日本\r\nedit2=\r\n"));
    test::FakeWindow window;
    LoadSettings(window, path);
    EXPECT_EQ(window.top, 120);
    EXPECT_EQ(window.fields[1], "日本");
    window.fields[2] = "한국";
    SaveSettings(window, path);
    const std::string saved = ReadFile(path);
    EXPECT_TRUE(saved.starts_with(Utf16(other))) << "the other section, byte for byte";
    EXPECT_NE(saved.find(Utf16(L"edit2=한국\r\nedit3=\r\n", false)), std::string::npos);
    EXPECT_TRUE(saved.ends_with(Utf16(L"edit96=\r\n", false)));
    test::FakeWindow again;
    LoadSettings(again, path);
    EXPECT_EQ(again.fields[2], "한국");
}

// Each row puts something that is not a settings file under the settings name.
struct RefusalRow {
    const char* rule;
    std::string (*setUp)(const TempDir& dir);  // returns the settings path
};

const std::vector<RefusalRow> kRefusals{
    {"the null device", [](const TempDir& dir) { return dir.File("NUL"); }},
    {"a folder",
     [](const TempDir& dir) {
         fs::create_directory(dir.Path() / "sub.ini");
         return dir.File("sub.ini");
     }},
    {"the running executable", [](const TempDir&) { return ExecutablePath(); }},
    {"the running executable under another name",
     [](const TempDir&) {
         // Beside the executable, as a hard link cannot leave its volume. Left by an earlier run,
         // it goes unless it is a name of this very program, which is then what it must be.
         const std::string link = ExecutablePath() + ".link.ini";
         std::error_code inUse;
         fs::remove(link, inUse);
         if (!fs::exists(link))
             fs::create_hard_link(ExecutablePath(), link);
         return link;
     }},
};

TEST(WindowsFiles, OnlyRegularFilesAreReadOrReplaced) {
    for (const RefusalRow& row : kRefusals) {
        SCOPED_TRACE(row.rule);
        const TempDir dir;
        const std::string path = row.setUp(dir);
        const auto none = [](std::string_view) { return true; };
        EXPECT_EQ(ReadFileText(path, none).state, FileState::Unreadable);
        EXPECT_FALSE(Replace(path, "[Form]\r\nTop=1\r\n"));
    }
}

// Starts a copy of the settings probe in the folder.
PROCESS_INFORMATION StartProbeIn(const fs::path& folder, const std::wstring& arguments) {
    const fs::path exe = folder / L"scores.exe";
    fs::create_directories(folder);
    fs::copy_file(PALVOREN_PROBE, exe);
    std::wstring commandLine = L"\"" + exe.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process);
    return process;
}

// Waits for a probe to end; true when it ended with 0.
bool Ended(const PROCESS_INFORMATION& process) {
    DWORD code = 1;
    if (process.hProcess != nullptr) {
        ::WaitForSingleObject(process.hProcess, 60000);
        ::GetExitCodeProcess(process.hProcess, &code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    return code == 0;
}

bool RunProbeIn(const fs::path& folder, const std::wstring& arguments) {
    return Ended(StartProbeIn(folder, arguments));
}

// A sync client or a virus scanner holds the file open, sharing reading and writing but not its
// removal, so no new file can take its place: the save goes into the file itself.
TEST(WindowsFiles, AFileHeldOpenByAnotherProgramIsWrittenInPlace) {
    TempDir dir;
    const std::string path = test::CopyFixture(dir, "wc2002.ini");
    const win32::Handle holding(::CreateEventW(nullptr, TRUE, FALSE, L"PalvorenProbeHolding"));
    const win32::Handle release(::CreateEventW(nullptr, TRUE, FALSE, L"PalvorenProbeRelease"));
    const PROCESS_INFORMATION holder =
        StartProbeIn(dir.Path() / "holder", L"hold \"" + fs::path(path).wstring() + L"\"");
    ASSERT_EQ(::WaitForSingleObject(holding.get(), 30000), WAIT_OBJECT_0);
    test::FakeWindow window;
    LoadSettings(window, path);
    window.fields[1] = "held";
    EXPECT_NO_THROW(SaveSettings(window, path));
    ::SetEvent(release.get());
    EXPECT_TRUE(Ended(holder));
    EXPECT_NE(ReadFile(path).find("\r\nedit1=held\r\nedit2=1\r\n"), std::string::npos);
    EXPECT_EQ(test::Entries(dir.Path()), 2);  // and the holder's folder
}

// A name the code page cannot hold (Hangul is not in Shift-JIS) reaches the file all the same.
// A path longer than MAX_PATH is left to the end-to-end test: CreateProcessW starts no program
// that deep.
TEST(SettingsPath, TheSettingsFileIsBesideTheRunningExecutableInAFolderOfAnyName) {
    TempDir dir;
    const fs::path folder = dir.Path() / L"設定_한국";
    ASSERT_TRUE(RunProbeIn(folder, L"save 7 mine"));
    std::ifstream in(folder / L"scores.ini", std::ios::binary);
    const std::string saved(std::istreambuf_iterator<char>(in), {});
    EXPECT_TRUE(saved.starts_with("[Form]\r\nTop=7\r\n")) << saved;
    EXPECT_NE(saved.find("edit1=mine\r\n"), std::string::npos);
}

TEST(InstanceGuard, ASecondCopyIsRefusedWhileTheFirstHoldsTheMutex) {
    std::promise<bool> taken;
    std::promise<void> release;
    // A thread of its own, since the thread that owns a mutex may take it again.
    std::thread first([&] {
        const InstanceGuard guard = InstanceGuard::Acquire();
        taken.set_value(guard.Owned());
        release.get_future().wait();
    });
    ASSERT_TRUE(taken.get_future().get());
    EXPECT_FALSE(InstanceGuard::Acquire().Owned());
    release.set_value();
    first.join();
    EXPECT_TRUE(InstanceGuard::Acquire().Owned());
}

TEST(InstanceGuard, AMutexLeftByAnEndedOwnerIsTakenOver) {
    std::unique_ptr<InstanceGuard> left;
    std::thread([&] { left.reset(new InstanceGuard(InstanceGuard::Acquire())); }).join();
    ASSERT_TRUE(left->Owned());
    EXPECT_TRUE(InstanceGuard::Acquire().Owned());
}

}  // namespace
}  // namespace palvoren
