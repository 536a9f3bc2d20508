#include "settings/ini_file.h"

#include <exception>

#include "settings/ini_edit.h"
#include "standings/int_text.h"

namespace palvoren {

EIniFileException::EIniFileException(const std::string& path)
    : std::runtime_error(path + " に書き込めません") {}

EIniFileException::EIniFileException(const char* message) : std::runtime_error(message) {}

EIniFileException EIniFileException::PathUnknown() {
    return EIniFileException("実行ファイルの場所が分からないため、設定を保存できません");
}

std::int32_t TCustomIniFile::ReadNumber(std::string_view section, std::string_view key,
                                        std::int32_t fallback) {
    std::string text = ReadText(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'X' || text[1] == 'x')) {
        text.replace(0, 2, "$");
    }
    return TextToIntDefault(text, fallback);
}

void TCustomIniFile::WriteNumber(std::string_view section, std::string_view key,
                                 std::int32_t value) {
    WriteText(section, key, IntToText(value));
}

TIniFile::TIniFile(std::string path, const IniKeys& keys)
    : TCustomIniFile(std::move(path)),
      keys_(keys),
      written_(keys.All().size()),
      uncaughtAtConstruction_(std::uncaught_exceptions()) {}

TIniFile::~TIniFile() {
    if (std::uncaught_exceptions() > uncaughtAtConstruction_)
        return;
    try {
        FlushFile();
    } catch (...) {
        // Release has no one to report to; callers that care flush first.
    }
}

const IniScan& TIniFile::Scan() {
    if (!scan_) {
        IniScanner scanner(keys_);
        file_ = ReadFileText(FileName(), [&](std::string_view piece) {
            scanner.Feed(piece);
            return true;
        });
        // What an unreadable file gave before it failed is not to be trusted.
        scan_ = file_.state == FileState::Read ? scanner.Finish() : IniScanner(keys_).Finish();
    }
    return *scan_;
}

TextEncoding TIniFile::Encoding() {
    Scan();
    return file_.encoding;
}

std::size_t TIniFile::Index(std::string_view section, std::string_view key) const {
    const std::optional<std::size_t> inSection = keys_.FindSection(section);
    const std::optional<std::size_t> index = inSection ? keys_.FindIn(*inSection, key) : inSection;
    if (!index)
        throw std::logic_error("INI key asked for but not given: " + std::string(key));
    return *index;
}

std::string TIniFile::ReadText(std::string_view section, std::string_view key,
                               std::string_view defaultText) {
    const std::size_t index = Index(section, key);
    if (const std::optional<std::string>& written = written_[index])
        return written->substr(0, kMaxValueBytes);
    const std::optional<IniScan::Value>& value = Scan().values[index];
    return value ? value->text : std::string(defaultText);
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) {
    const std::size_t index = Index(section, key);
    return written_[index] || Scan().values[index];
}

void TIniFile::WriteText(std::string_view section, std::string_view key, std::string_view value) {
    written_[Index(section, key)] = std::string(value);
    dirty_ = true;
}

void TIniFile::FlushFile() {
    if (!dirty_)
        return;
    const IniScan& scan = Scan();
    if (file_.state == FileState::Unreadable)
        throw EIniFileException(FileName());
    const bool saved = ReplaceFileText(FileName(), file_.encoding, [&](const TextSink& out) {
        IniEditor editor(keys_, scan, written_, out);
        const FileText again =
            ReadFileText(FileName(), [&](std::string_view piece) { return editor.Feed(piece); });
        return again.state != FileState::Unreadable && editor.Finish();
    });
    if (!saved)
        throw EIniFileException(FileName());
    dirty_ = false;
}

}  // namespace palvoren
