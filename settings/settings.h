// Loading and saving the window position and the 96 score texts.
//
// The file has a section "Form" with "Top" and "Left" and a section "Value" with "edit1" ...
// "edit96", the text of score field N under "editN". A load never fails: missing keys leave the
// window's values as they are, Top and Left that are not integers are ignored, and if anything goes
// wrong midway the window goes to 100/100 and the remaining fields stay as they are. A save writes
// the keys (empty texts as empty values) and replaces the file atomically (in place where no new
// file can be made beside it), making its folder first when that is missing; it throws
// EIniFileException when the file cannot be written, and then the old file stays as it was.
// However large the file, each needs no more memory than a buffer and the 98 values.
//
// Field texts are UTF-8 in the window and in the system's code page in the file.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/file_io.h"
#include "standings/standings.h"

namespace palvoren {

// What the settings need of the main window.
class SettingsWindow : public ScoreFields {
public:
    virtual std::int32_t Top() const = 0;
    virtual std::int32_t Left() const = 0;
    virtual void SetTop(std::int32_t top) = 0;
    virtual void SetLeft(std::int32_t left) = 0;
    virtual void SetFieldText(int fieldNumber, std::string_view text) = 0;
};

// What the window held when the load ended, kept from the load to the save.
struct LoadedValues {
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::array<std::string, kScoreFieldCount + 1> fields;  // by field number
};

// The settings key of score field N: "edit" and N.
std::string FieldKey(int fieldNumber);

// path: the settings file, or nothing when the program's own path, and so the file's, could not
// be found; the load then falls back as after any failed load, and the save throws
// EIniFileException::PathUnknown(). Given LoadedValues, the load fills them and the save writes
// only the values that differ from them, and those the file lacks at the save: what the program
// did not change stays as the file holds it then, byte for byte, even when the load could not
// read it. Without, the save writes every value.
void LoadSettings(SettingsWindow& window, const std::optional<std::string>& path,
                  LoadedValues* loaded = nullptr);
void SaveSettings(const SettingsWindow& window, const std::optional<std::string>& path,
                  const LoadedValues* loaded = nullptr);

}  // namespace palvoren
