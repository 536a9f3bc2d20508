#include "settings/ini_file.h"

#include <exception>

#include "standings/int_text.h"

namespace palvoren {

EIniFileException::EIniFileException(const std::string& path)
    : std::runtime_error(path + " に書き込めません"), path_(path) {}

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

TIniFile::TIniFile(std::string path, std::optional<IniKeys> keys)
    : TCustomIniFile(std::move(path)),
      keys_(std::move(keys)),
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

IniDocument& TIniFile::Document() {
    if (!loaded_) {
        FileContents contents = ReadWholeFile(FileName());
        loaded_ = contents.state;
        document_ = ParseDocument(std::move(contents.bytes));
    }
    return document_;
}

IniDocument TIniFile::ParseDocument(std::string bytes) const {
    return keys_ ? IniDocument::Parse(std::move(bytes), *keys_)
                 : IniDocument::Parse(std::move(bytes));
}

const IniValueReader& TIniFile::Values() {
    if (!values_) {
        values_ = std::make_unique<IniValueReader>(*keys_);
        if (ReadFileInPieces(FileName(), [this](std::string_view piece) {
                values_->Feed(piece);
            }) == FileContents::State::Unreadable) {
            values_ = std::make_unique<IniValueReader>(*keys_);  // nothing of a failed read
        }
        values_->Finish();
    }
    return *values_;
}

std::string TIniFile::ReadText(std::string_view section, std::string_view key,
                               std::string_view defaultText) {
    std::optional<std::string> value =
        loaded_ || !keys_ ? Document().Find(section, key) : Values().Find(section, key);
    if (!value)
        return std::string(defaultText);
    if (value->size() > kMaxValueBytes)
        value->resize(kMaxValueBytes);
    return *std::move(value);
}

void TIniFile::WriteText(std::string_view section, std::string_view key, std::string_view value) {
    IniDocument& document = Document();
    // Checked once, at the first write: FlushFile checks again before the file is replaced. A file
    // whose contents could not be read would lose them all on replacement.
    if (!writable_) {
        if (*loaded_ == FileContents::State::Unreadable || IsReadOnlyFile(FileName())) {
            throw EIniFileException(FileName());
        }
        writable_ = true;
    }
    document.Set(section, key, value);
}

void TIniFile::FlushFile() {
    if (!loaded_ || !document_.HasChanges())
        return;
    std::string bytes = document_.Serialize();
    if (IsReadOnlyFile(FileName()) || !ReplaceFile(FileName(), bytes)) {
        throw EIniFileException(FileName());
    }
    document_ = ParseDocument(std::move(bytes));
    loaded_ = FileContents::State::Read;
}

}  // namespace palvoren
