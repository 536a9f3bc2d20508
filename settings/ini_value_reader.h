// Reading the values of a few keys from an INI text of any size without keeping the text.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "settings/ini_keys.h"

namespace palvoren {

// The values of the keys asked for, from a text that arrives in pieces (a file read a buffer at a
// time) and is not kept: the first value of each key, as IniDocument::Find gives it.
class IniValueReader {
public:
    explicit IniValueReader(const IniKeys& keys);
    ~IniValueReader();
    IniValueReader(const IniValueReader&) = delete;
    IniValueReader& operator=(const IniValueReader&) = delete;

    void Feed(std::string_view piece);
    void Finish();  // the text has ended

    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

private:
    class Walker;
    IniKeys keys_;
    std::unordered_map<std::string, std::string> values_;  // "section\0key", lower case
    std::unique_ptr<Walker> walker_;
};

}  // namespace palvoren
