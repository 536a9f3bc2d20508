#include "settings/settings.h"

#include "settings/ini_file.h"
#include "settings/settings_path.h"
#include "standings/int_text.h"
#include "tournament/fixture_table.h"

namespace palvoren {
namespace {

constexpr std::string_view kFormSection = "Form";
constexpr std::string_view kValueSection = "Value";
constexpr std::int32_t kFallbackPosition = 100;

void ReadInto(SettingsWindow& window, TIniFile& ini) {
    window.SetTop(ini.ReadNumber(kFormSection, "Top", window.Top()));
    window.SetLeft(ini.ReadNumber(kFormSection, "Left", window.Left()));
    for (int n = 1; n <= kScoreFieldCount; ++n) {
        window.SetFieldText(n, ini.ReadText(kValueSection, FieldKey(n), window.FieldText(n)));
    }
}

void PlaceAtFallback(SettingsWindow& window) {
    window.SetTop(kFallbackPosition);
    window.SetLeft(kFallbackPosition);
}

}  // namespace

std::string FieldKey(int fieldNumber) {
    return "edit" + IntToText(fieldNumber);
}

void LoadSettings(SettingsWindow& window) {
    std::string path;
    try {
        path = SettingsFilePath();
    } catch (...) {
        // Without a path there is nothing to load: treated like any other failed load.
        PlaceAtFallback(window);
        return;
    }
    LoadSettings(window, path);
}

void LoadSettings(SettingsWindow& window, const std::string& path) {
    TIniFile ini(path);
    try {
        ReadInto(window, ini);
    } catch (...) {
        // A failed load must never stop the program from starting; it starts at a known place.
        PlaceAtFallback(window);
    }
}

void SaveSettings(const SettingsWindow& window) {
    SaveSettings(window, SettingsFilePath());
}

void SaveSettings(const SettingsWindow& window, const std::string& path) {
    TIniFile ini(path);
    ini.WriteNumber(kFormSection, "Top", window.Top());
    ini.WriteNumber(kFormSection, "Left", window.Left());
    for (int n = 1; n <= kScoreFieldCount; ++n) {
        ini.WriteText(kValueSection, FieldKey(n), window.FieldText(n));
    }
    // Flushed here rather than on release, so that a failure reaches the caller.
    ini.FlushFile();
}

}  // namespace palvoren
