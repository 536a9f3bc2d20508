// Loading and saving a huge settings file against reading and copying the same file plainly, in
// the same run.
//
// The file is the real 2002 scores followed by the given number of megabytes of distinct keys in
// the scores' own section, the costliest place for them. Each measurement is a fresh process, so
// its peak memory is its own. The plain read goes through a 64 KiB buffer, as cat does; the plain
// copy writes what it reads to a new file beside it, flushes that and renames it over the old one,
// as a save must. The load is the program's settings load into a window stand-in; the save is a
// load followed by the save that is timed. Goals: the load within 3 times the plain read's time,
// the save within 3 times the plain copy's, and the peak memory of both the same for every size
// of file (a buffer and the values; no more than a few megabytes).
//
//   huge_settings_bench [MEGABYTES...]     default 20 200; prints two lines per size
//   huge_settings_bench --child read|load|copy|save FILE   (one measurement, run by the bench)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "test_support.h"

namespace palvoren {
namespace {

constexpr int kRuns = 5;

void WriteHugeFile(const std::string& path, long megabytes) {
    std::string text = test::DataFile("wc2002.ini") + "\n[Value]\n";
    const std::size_t size = static_cast<std::size_t>(megabytes) << 20;
    text.reserve(size + 64);
    char line[64];
    for (long i = 0; text.size() < size; ++i) {
        const int n = std::snprintf(line, sizeof line, "key%010ld=value of key %ld\n", i, i);
        text.append(line, static_cast<std::size_t>(n));
    }
    test::WriteFile(path, text);
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void PlainCopy(const std::string& path) {
    const int in = ::open(path.c_str(), O_RDONLY);
    const std::string temporary = path + ".tmp";
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char> buffer(65536);
    for (ssize_t n; (n = ::read(in, buffer.data(), buffer.size())) > 0;) {
        if (::write(out, buffer.data(), static_cast<std::size_t>(n)) != n)
            std::exit(4);
    }
    ::fsync(out);
    ::close(out);
    ::close(in);
    ::rename(temporary.c_str(), path.c_str());
}

int Child(const std::string& mode, const std::string& path) {
    test::FakeWindow window;
    if (mode == "save")
        LoadSettings(window, path);
    const auto start = std::chrono::steady_clock::now();
    if (mode == "read") {
        const int fd = ::open(path.c_str(), O_RDONLY);
        std::vector<char> buffer(65536);
        while (::read(fd, buffer.data(), buffer.size()) > 0) {
        }
        ::close(fd);
    } else if (mode == "copy") {
        PlainCopy(path);
    } else if (mode == "load") {
        LoadSettings(window, path);
        if (window.fields[7] != "8")
            return 3;  // the real scores must have been read
    } else {
        window.fields[7] = "9";  // a real change, so that the save cannot be a copy
        SaveSettings(window, path);
        window.fields[7] = "8";
        SaveSettings(window, path);
    }
    std::printf("%.6f\n", Seconds(start) / (mode == "save" ? 2 : 1));
    return 0;
}

struct Measurement {
    double seconds;
    double peakMegabytes;
};

Measurement Measure(const std::string& mode, const std::string& path) {
    int out[2];
    if (::pipe(out) != 0)
        std::exit(2);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::execl("/proc/self/exe", "huge_settings_bench", "--child", mode.c_str(), path.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    char text[64] = {};
    const ssize_t n = ::read(out[0], text, sizeof text - 1);
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the %s measurement failed (status %d)\n", mode.c_str(), status);
        std::exit(1);
    }
    return {std::atof(text), static_cast<double>(usage.ru_maxrss) / 1024.0};
}

Measurement Median(const std::string& mode, const std::string& path) {
    std::vector<Measurement> runs;
    for (int i = 0; i < kRuns; ++i)
        runs.push_back(Measure(mode, path));
    std::sort(runs.begin(), runs.end(),
              [](const Measurement& a, const Measurement& b) { return a.seconds < b.seconds; });
    return runs[runs.size() / 2];
}

void Line(long megabytes, const char* plainName, const Measurement& plain, const char* name,
          const Measurement& ours) {
    const double timeRatio = ours.seconds / plain.seconds;
    const double memoryRatio = ours.peakMegabytes / plain.peakMegabytes;
    std::printf(
        "%4ld MB file: plain %s %8.1f ms %6.1f MB peak | %s %8.1f ms %6.1f MB peak | time %.2fx "
        "(goal <= 3) %s | memory %.2fx the plain one's\n",
        megabytes, plainName, plain.seconds * 1e3, plain.peakMegabytes, name, ours.seconds * 1e3,
        ours.peakMegabytes, timeRatio, timeRatio <= 3 ? "met" : "MISSED", memoryRatio);
}

void Report(long megabytes) {
    const test::TempDir dir;
    const std::string path = dir.File("huge.ini");
    WriteHugeFile(path, megabytes);
    Median("read", path);  // once more, so both start from a warm page cache
    Line(megabytes, "read", Median("read", path), "load", Median("load", path));
    Line(megabytes, "copy", Median("copy", path), "save", Median("save", path));
}

}  // namespace
}  // namespace palvoren

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--child")
        return palvoren::Child(argv[2], argv[3]);
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atol(argv[i]));
    if (sizes.empty())
        sizes = {20, 200};
    for (const long megabytes : sizes)
        palvoren::Report(std::max(1L, megabytes));
    return 0;
}
