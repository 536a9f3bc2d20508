// Where the settings file lives: beside the executable, named after it with the extension ".ini".
#pragma once

#include <string>
#include <string_view>

namespace palvoren {

// Tells whether a byte opens a double-byte character in the system's code page.
using LeadBytePredicate = bool (*)(unsigned char byte);

bool NoLeadBytes(unsigned char byte);
bool IsCp932LeadByte(unsigned char byte);

// The settings path for an executable path. The last ".", separator or ":" decides: a "." is cut
// off with everything after it; otherwise the whole path is kept. Then ".ini" is appended. The byte
// after a lead byte is never taken for one of the three.
std::string SettingsPathFor(std::string_view executablePath, char separator,
                            LeadBytePredicate isLeadByte);

// The running executable's full path as the system reports it, in UTF-8. Throws EIniFileException
// (naming the path it tried) when the system cannot tell.
std::string ExecutablePath();

// SettingsPathFor(ExecutablePath()) with this system's separator and code page.
std::string SettingsFilePath();

}  // namespace palvoren
