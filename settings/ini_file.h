// The profile-file object through which the settings file is read and written.
//
// TCustomIniFile is the interface: text values, with the number operations built once on top of
// them. TIniFile keeps one INI file for the keys it is given. Reads come from one pass over the
// file as it was when first read (IniScanner), plus what this object wrote; writes collect in
// memory, and FlushFile puts them into the file in one more pass that copies everything else as it
// was (IniEditor) into a new file that then replaces the old one, or where none can be made, into
// the old one in place (ReplaceFileText). Releasing a TIniFile flushes too (failures then go
// unreported), except while an exception is unwinding, when the collected writes are dropped so
// that a half-finished save never reaches the disk.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_io.h"
#include "settings/ini_scan.h"

namespace palvoren {

// The settings file could not be written. Message: "<full path> に書き込めません", or, when the
// program's own path, and so the file's, cannot be found, a message that says so.
class EIniFileException : public std::runtime_error {
public:
    explicit EIniFileException(const std::string& path);
    static EIniFileException PathUnknown();

private:
    // A message of its own; private, so that no path reaches it as a literal.
    explicit EIniFileException(const char* message);
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
    virtual void WriteText(std::string_view section, std::string_view key,
                           std::string_view value) = 0;
    // The stored integer ("0x"/"0X" read as "$"), or fallback for anything that is not one.
    virtual std::int32_t ReadNumber(std::string_view section, std::string_view key,
                                    std::int32_t fallback);
    virtual void WriteNumber(std::string_view section, std::string_view key, std::int32_t value);
    // Throws EIniFileException when the file cannot be written.
    virtual void FlushFile() = 0;

private:
    std::string path_;
};

class TIniFile final : public TCustomIniFile {
public:
    // Keeps the path and the keys, which must outlive it; the file is first touched by a read or
    // a flush. Asking for any other key is a programming error (std::logic_error).
    TIniFile(std::string path, const IniKeys& keys);
    ~TIniFile() override;

    // The first kMaxValueBytes bytes of the value.
    std::string ReadText(std::string_view section, std::string_view key,
                         std::string_view defaultText) override;
    void WriteText(std::string_view section, std::string_view key, std::string_view value) override;
    // Whether the key has a value: written here, or in the file as first read (never in one that
    // could not be read).
    bool ValueExists(std::string_view section, std::string_view key);
    // Writes what was collected, if anything; throws EIniFileException when that fails, leaving
    // the file as it was, or EFileCutShort when a write in place failed midway. A file that exists
    // but could not be read is never replaced: its contents would be lost.
    void FlushFile() override;

    // How the file stores its text, as the first read found it.
    TextEncoding Encoding();

private:
    const IniScan& Scan();
    std::size_t Index(std::string_view section, std::string_view key) const;

    const IniKeys& keys_;
    std::optional<IniScan> scan_;
    FileText file_{FileState::Missing, TextEncoding::Bytes};
    std::vector<std::optional<std::string>> written_;  // by key index
    bool dirty_ = false;
    int uncaughtAtConstruction_;
};

}  // namespace palvoren
