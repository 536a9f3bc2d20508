// Loading and saving the window position and the 96 score texts.
//
// The file has a section "Form" with "Top" and "Left" and a section "Value" with "edit1" ...
// "edit96", the text of score field N under "editN". A load never fails: missing keys leave the
// window's values as they are, Top and Left that are not integers are ignored, and if anything goes
// wrong midway the window goes to 100/100 and the remaining fields stay as they are. A save writes
// all 98 keys, empty texts as empty values, and replaces the file atomically; it throws
// EIniFileException when the file cannot be written, and then the old file stays as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// The settings key of score field N: "edit" and N.
std::string FieldKey(int fieldNumber);

void LoadSettings(SettingsWindow& window);
void LoadSettings(SettingsWindow& window, const std::string& path);

void SaveSettings(const SettingsWindow& window);
void SaveSettings(const SettingsWindow& window, const std::string& path);

}  // namespace palvoren
