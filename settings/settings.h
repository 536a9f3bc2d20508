// Loading and saving the window position and the 96 score texts.
//
// The file has a section "Form" with "Top" and "Left" and a section "Value" with "edit1" ...
// "edit96", the text of score field N under "editN". A load never fails: missing keys leave the
// window's values as they are, Top and Left that are not integers are ignored, and if anything goes
// wrong midway the window goes to 100/100 and the remaining fields stay as they are. A save writes
// all 98 keys, empty texts as empty values, and replaces the file atomically (in place where no
// new file can be made beside it), making its folder first when that is missing; it throws
// EIniFileException when the file cannot be written, and then the old file stays as it was.
// However large the file, each needs no more memory than a buffer and the 98 values.
//
// Field texts are UTF-8 in the window and in the system's code page in the file. A field the user
// did not change after the load is saved with exactly the bytes that were read, even where showing
// them changed them (bytes the encoding cannot show, a character cut at the read limit).
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

// What the load read into each score field and what the field then showed, kept from the load to
// the save.
class LoadedTexts {
public:
    void Remember(int fieldNumber, std::string fileBytes, std::string shown, TextEncoding encoding);
    // The file's bytes for a field that shows this text now, for a file of that encoding.
    std::string BytesToSave(int fieldNumber, std::string_view shown, TextEncoding encoding) const;

private:
    struct Entry {
        std::string fileBytes;
        std::string shown;
        TextEncoding encoding;
    };
    std::array<std::optional<Entry>, kScoreFieldCount + 1> entries_;
};

// The settings key of score field N: "edit" and N.
std::string FieldKey(int fieldNumber);

// path: the settings file, or nothing when the program's own path, and so the file's, could not
// be found; the load then falls back as after any failed load, and the save throws
// EIniFileException::PathUnknown(). Without LoadedTexts, every field is saved from its text.
void LoadSettings(SettingsWindow& window, const std::optional<std::string>& path,
                  LoadedTexts* loaded = nullptr);
void SaveSettings(const SettingsWindow& window, const std::optional<std::string>& path,
                  const LoadedTexts* loaded = nullptr);

}  // namespace palvoren
