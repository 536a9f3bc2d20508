// Loading and saving a full settings file (98 keys), against QSettings reading and writing the same
// 98 keys in INI format as the baseline. Saves include the flush to disk.
#include <benchmark/benchmark.h>

#include <QSettings>
#include <QString>

#include <string>

#include "settings/settings.h"
#include "test_support.h"

namespace palvoren {
namespace {

test::FakeWindow RealWindow(const test::TempDir& dir) {
    test::FakeWindow window;
    LoadSettings(window, test::CopyFixture(dir, "wc2002.ini"));
    return window;
}

void BM_LoadSettings(benchmark::State& state) {
    test::TempDir dir;
    const std::string path = test::CopyFixture(dir, "wc2002.ini");
    for (auto _ : state) {
        test::FakeWindow window;
        LoadSettings(window, path);
        benchmark::DoNotOptimize(window.fields);
    }
}
BENCHMARK(BM_LoadSettings)->Unit(benchmark::kMicrosecond);

void BM_SaveSettings(benchmark::State& state) {
    test::TempDir dir;
    const test::FakeWindow window = RealWindow(dir);
    for (auto _ : state)
        SaveSettings(window, dir.File("s.ini"));
}
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMicrosecond);

void BM_BaselineQSettingsLoad(benchmark::State& state) {
    test::TempDir dir;
    const QString path = QString::fromStdString(test::CopyFixture(dir, "wc2002.ini"));
    for (auto _ : state) {
        QSettings settings(path, QSettings::IniFormat);
        int top = settings.value("Form/Top", 108).toInt();
        int left = settings.value("Form/Left", 191).toInt();
        benchmark::DoNotOptimize(top + left);
        for (int n = 1; n <= kScoreFieldCount; ++n) {
            QString text = settings.value(QStringLiteral("Value/edit%1").arg(n)).toString();
            benchmark::DoNotOptimize(text);
        }
    }
}
BENCHMARK(BM_BaselineQSettingsLoad)->Unit(benchmark::kMicrosecond);

void BM_BaselineQSettingsSave(benchmark::State& state) {
    test::TempDir dir;
    const test::FakeWindow window = RealWindow(dir);
    const QString path = QString::fromStdString(dir.File("q.ini"));
    int round = 0;
    for (auto _ : state) {
        QSettings settings(path, QSettings::IniFormat);
        // QSettings skips unchanged values; a changing Top makes every round really write.
        settings.setValue("Form/Top", window.top + (++round % 2));
        settings.setValue("Form/Left", window.left);
        for (int n = 1; n <= kScoreFieldCount; ++n) {
            settings.setValue(QStringLiteral("Value/edit%1").arg(n),
                              QString::fromStdString(window.fields[n]));
        }
        settings.sync();
    }
}
BENCHMARK(BM_BaselineQSettingsSave)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace palvoren
