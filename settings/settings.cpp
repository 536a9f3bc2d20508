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

// The only keys the program reads or writes; the file may hold any number of others.
const IniKeys& SettingsKeys() {
    static const IniKeys keys = [] {
        IniKeys k;
        k.Add(kFormSection, "Top");
        k.Add(kFormSection, "Left");
        for (int n = 1; n <= kScoreFieldCount; ++n)
            k.Add(kValueSection, FieldKey(n));
        return k;
    }();
    return keys;
}

void ReadInto(SettingsWindow& window, TIniFile& ini) {
    window.SetTop(ini.ReadNumber(kFormSection, "Top", window.Top()));
    window.SetLeft(ini.ReadNumber(kFormSection, "Left", window.Left()));
    const TextEncoding encoding = ini.Encoding();
    for (int n = 1; n <= kScoreFieldCount; ++n) {
        const std::string bytes =
            ini.ReadText(kValueSection, FieldKey(n), Utf8ToFileText(window.FieldText(n), encoding));
        window.SetFieldText(n, FileTextToUtf8(bytes, encoding));
    }
}

void PlaceAtFallback(SettingsWindow& window) {
    window.SetTop(kFallbackPosition);
    window.SetLeft(kFallbackPosition);
}

void Remember(const SettingsWindow& window, LoadedValues& loaded) {
    loaded.top = window.Top();
    loaded.left = window.Left();
    for (int n = 1; n <= kScoreFieldCount; ++n)
        loaded.fields[static_cast<std::size_t>(n)] = window.FieldText(n);
}

}  // namespace

std::string FieldKey(int fieldNumber) {
    return "edit" + IntToText(fieldNumber);
}

void LoadSettings(SettingsWindow& window, const std::optional<std::string>& path,
                  LoadedValues* loaded) {
    if (!path) {
        PlaceAtFallback(window);
    } else {
        TIniFile ini(*path, SettingsKeys());
        try {
            ReadInto(window, ini);
        } catch (...) {
            // A failed load must never stop the program from starting; it starts at a known place.
            PlaceAtFallback(window);
        }
    }
    if (loaded != nullptr)
        Remember(window, *loaded);
}

void SaveSettings(const SettingsWindow& window, const std::optional<std::string>& path,
                  const LoadedValues* loaded) {
    if (!path)
        throw EIniFileException::PathUnknown();
    WaitWhileHeldByAnother(*path);
    MakeSettingsFolder(*path);
    TIniFile ini(*path, SettingsKeys());
    // A value the program never changed may differ from the file's (one it could not read at the
    // start, one another program wrote since): the file's stands.
    const auto changed = [&](std::string_view section, std::string_view key, bool same) {
        return loaded == nullptr || !same || !ini.ValueExists(section, key);
    };
    if (changed(kFormSection, "Top", loaded != nullptr && window.Top() == loaded->top))
        ini.WriteNumber(kFormSection, "Top", window.Top());
    if (changed(kFormSection, "Left", loaded != nullptr && window.Left() == loaded->left))
        ini.WriteNumber(kFormSection, "Left", window.Left());
    const TextEncoding encoding = ini.Encoding();
    for (int n = 1; n <= kScoreFieldCount; ++n) {
        const std::string text = window.FieldText(n);
        const bool same = loaded != nullptr && text == loaded->fields[static_cast<std::size_t>(n)];
        if (changed(kValueSection, FieldKey(n), same))
            ini.WriteText(kValueSection, FieldKey(n), Utf8ToFileText(text, encoding));
    }
    // Flushed here rather than on release, so that a failure reaches the caller.
    ini.FlushFile();
}

}  // namespace palvoren
