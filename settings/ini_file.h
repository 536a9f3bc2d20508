// The profile-file object through which the settings file is read and written.
//
// TCustomIniFile is the interface: text values, with the number operations built once on top of
// them. TIniFile keeps one INI file: reads come from the file as it was when first used (plus what
// this object wrote), writes collect in memory (with the file's bytes, which the writing keeps),
// and FlushFile puts them into the file in a single atomic replacement. Releasing a TIniFile
// flushes too (failures then go unreported), except while an exception is unwinding, when the
// collected writes are dropped so that a half-finished save never reaches the disk.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "settings/file_io.h"
#include "settings/ini_document.h"
#include "settings/ini_value_reader.h"

namespace palvoren {

// A value longer than this is read back as its first kMaxValueBytes bytes.
inline constexpr std::size_t kMaxValueBytes = 2047;

// The settings file could not be written. Message: "<full path> に書き込めません".
class EIniFileException : public std::runtime_error {
public:
    explicit EIniFileException(const std::string& path);
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

class TCustomIniFile {
public:
    explicit TCustomIniFile(std::string path) : path_(std::move(path)) {}
    virtual ~TCustomIniFile() = default;
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    const std::string& FileName() const { return path_; }

    // The stored text, or defaultText when the file, section or key is missing. Never fails.
    virtual std::string ReadText(std::string_view section, std::string_view key,
                                 std::string_view defaultText) = 0;
    // Throws EIniFileException when the file cannot be written.
    virtual void WriteText(std::string_view section, std::string_view key,
                           std::string_view value) = 0;
    // The stored integer ("0x"/"0X" read as "$"), or fallback for anything that is not one.
    virtual std::int32_t ReadNumber(std::string_view section, std::string_view key,
                                    std::int32_t fallback);
    virtual void WriteNumber(std::string_view section, std::string_view key, std::int32_t value);
    virtual void FlushFile() = 0;

private:
    std::string path_;
};

class TIniFile final : public TCustomIniFile {
public:
    // Keeps the path only; the file is first touched by a read or write. Given the keys that will
    // be read and written, it keeps only their places besides the file's bytes, however large the
    // file; other keys are then not to be asked for.
    explicit TIniFile(std::string path, std::optional<IniKeys> keys = std::nullopt);
    ~TIniFile() override;

    std::string ReadText(std::string_view section, std::string_view key,
                         std::string_view defaultText) override;
    void WriteText(std::string_view section, std::string_view key, std::string_view value) override;
    // Writes what was collected, if anything; throws EIniFileException when that fails, leaving
    // the file as it was.
    void FlushFile() override;

private:
    IniDocument& Document();
    IniDocument ParseDocument(std::string bytes) const;
    const IniValueReader& Values();

    std::optional<IniKeys> keys_;
    // Reads before any write, with the keys known, come from a pass over the file that keeps
    // their values only.
    std::unique_ptr<IniValueReader> values_;
    std::optional<FileContents::State> loaded_;
    IniDocument document_;
    bool writable_ = false;
    int uncaughtAtConstruction_;
};

}  // namespace palvoren
