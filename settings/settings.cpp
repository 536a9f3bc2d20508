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

void ReadInto(SettingsWindow& window, TIniFile& ini, LoadedTexts& loaded) {
    window.SetTop(ini.ReadNumber(kFormSection, "Top", window.Top()));
    window.SetLeft(ini.ReadNumber(kFormSection, "Left", window.Left()));
    const TextEncoding encoding = ini.Encoding();
    for (int n = 1; n <= kScoreFieldCount; ++n) {
        std::string bytes =
            ini.ReadText(kValueSection, FieldKey(n), Utf8ToFileText(window.FieldText(n), encoding));
        window.SetFieldText(n, FileTextToUtf8(bytes, encoding));
        loaded.Remember(n, std::move(bytes), window.FieldText(n), encoding);
    }
}

void PlaceAtFallback(SettingsWindow& window) {
    window.SetTop(kFallbackPosition);
    window.SetLeft(kFallbackPosition);
}

}  // namespace

void LoadedTexts::Remember(int fieldNumber, std::string fileBytes, std::string shown,
                           TextEncoding encoding) {
    entries_.at(static_cast<std::size_t>(fieldNumber)) =
        Entry{std::move(fileBytes), std::move(shown), encoding};
}

std::string LoadedTexts::BytesToSave(int fieldNumber, std::string_view shown,
                                     TextEncoding encoding) const {
    const std::optional<Entry>& entry = entries_.at(static_cast<std::size_t>(fieldNumber));
    if (entry && entry->shown == shown && entry->encoding == encoding)
        return entry->fileBytes;
    return Utf8ToFileText(shown, encoding);
}

std::string FieldKey(int fieldNumber) {
    return "edit" + IntToText(fieldNumber);
}

void LoadSettings(SettingsWindow& window, const std::optional<std::string>& path,
                  LoadedTexts* loaded) {
    if (!path) {
        PlaceAtFallback(window);
        return;
    }
    TIniFile ini(*path, SettingsKeys());
    LoadedTexts scratch;
    try {
        ReadInto(window, ini, loaded != nullptr ? *loaded : scratch);
    } catch (...) {
        // A failed load must never stop the program from starting; it starts at a known place.
        PlaceAtFallback(window);
    }
}

void SaveSettings(const SettingsWindow& window, const std::optional<std::string>& path,
                  const LoadedTexts* loaded) {
    if (!path)
        throw EIniFileException::PathUnknown();
    MakeSettingsFolder(*path);
    static const LoadedTexts nothingLoaded;
    const LoadedTexts& texts = loaded != nullptr ? *loaded : nothingLoaded;
    TIniFile ini(*path, SettingsKeys());
    ini.WriteNumber(kFormSection, "Top", window.Top());
    ini.WriteNumber(kFormSection, "Left", window.Left());
    const TextEncoding encoding = ini.Encoding();
    for (int n = 1; n <= kScoreFieldCount; ++n) {
        ini.WriteText(kValueSection, FieldKey(n),
                      texts.BytesToSave(n, window.FieldText(n), encoding));
    }
    // Flushed here rather than on release, so that a failure reaches the caller.
    ini.FlushFile();
}

}  // namespace palvoren
