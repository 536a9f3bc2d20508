// Where the settings file lives: beside the executable, named after it with the extension ".ini".
#pragma once

#include <string>
#include <string_view>

namespace palvoren {

// The settings path for an executable path. The last ".", separator or ":" decides: a "." is cut
// off with everything after it; otherwise the whole path is kept. Then ".ini" is appended. The
// path is UTF-8, whose bytes of non-ASCII characters are all 0x80 or above and so never taken for
// one of the three.
std::string SettingsPathFor(std::string_view executablePath, char separator);

// The running executable's full path as the system reports it, in UTF-8. Throws
// EIniFileException::PathUnknown() when the system cannot tell.
std::string ExecutablePath();

// SettingsPathFor(ExecutablePath()) with this system's separator.
std::string SettingsFilePath();

}  // namespace palvoren
