// Helpers shared by the settings tests: a temporary folder per test, whole-file reads and writes,
// and a stand-in for the main window.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "settings/settings.h"
#include "tournament/fixture_table.h"

namespace palvoren::test {

class TempDir {
public:
    // In the system's temporary folder, or in the given one.
    explicit TempDir(const std::filesystem::path& parent = std::filesystem::temp_directory_path()) {
#ifdef _WIN32
        // No mkdtemp here: a random name, which create_directory refuses when it is taken.
        std::random_device random;
        do {
            path_ = parent / ("palvoren-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
#else
        std::string pattern = (parent / "palvoren-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
#endif
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(std::string_view name) const {
        return (path_ / name).string();
    }
    const std::filesystem::path& Path() const {
        return path_;
    }

private:
    std::filesystem::path path_;
};

// How many names a folder holds: a save, finished or failed, leaves no file of its own there.
inline std::ptrdiff_t Entries(const std::filesystem::path& folder) {
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A text with LF line ends as the settings code writes new lines on this system: CR LF on Windows.
inline std::string NativeLines(std::string_view text) {
#ifdef _WIN32
    std::string out;
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
#else
    return std::string(text);
#endif
}

inline std::string DataFile(std::string_view name) {
    return ReadFile(std::string(PALVOREN_TEST_DATA) + "/" + std::string(name));
}

// A copy of a fixture file in the folder, under the fixture's name; returns the copy's path.
inline std::string CopyFixture(const TempDir& dir, std::string_view name) {
    const std::string path = dir.File(name);
    WriteFile(path, DataFile(name));
    return path;
}

#ifndef _WIN32
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
#endif

// The window as it stands before its settings are loaded: at its design position, fields empty.
struct FakeWindow : SettingsWindow {
    std::int32_t top = 108;
    std::int32_t left = 191;
    std::array<std::string, kScoreFieldCount + 1> fields;
    int failAtField = 0;  // SetFieldText throws for this field, to exercise the load's guard

    std::int32_t Top() const override { return top; }
    std::int32_t Left() const override { return left; }
    void SetTop(std::int32_t value) override { top = value; }
    void SetLeft(std::int32_t value) override { left = value; }
    std::string FieldText(int n) const override { return fields.at(static_cast<std::size_t>(n)); }
    void SetFieldText(int n, std::string_view text) override {
        if (n == failAtField)
            throw std::runtime_error("field refused");
        fields.at(static_cast<std::size_t>(n)) = text;
    }
};

}  // namespace palvoren::test
