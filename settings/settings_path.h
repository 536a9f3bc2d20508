// Where the settings file lives: beside the executable, named after it with the extension ".ini",
// wherever that works; on Linux, for a program installed where no user may write, in the user's
// configuration folder.
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

#ifndef _WIN32
// Where the settings of the program at executablePath (a full path) live. Beside it
// (SettingsPathFor) wherever that works: something is already there under that name, which stays
// the user's choice whether or not it can be written, or the program's folder takes new files (a
// build folder, an unpacked copy, ~/.local/bin). Otherwise, as for a program installed in /usr/bin
// or /opt, "palvoren.ini" in the folder "palvoren" of the user's configuration: xdgConfigHome when
// that is an absolute path, else "<home>/.config". With neither, beside the program after all,
// where the save then reports that it cannot write. Null stands for an unset variable.
std::string ChooseSettingsPath(std::string_view executablePath, const char* xdgConfigHome,
                               const char* home);
#endif

// The settings path for the running executable, to be found once at start so that the load and
// the save use the same file: on Windows always beside the executable; elsewhere by
// ChooseSettingsPath with the environment's XDG_CONFIG_HOME and HOME.
std::string SettingsFilePath();

// Makes the missing folders of a settings path, as the first save into the user's configuration
// folder needs. A folder that cannot be made is left for the save to report.
void MakeSettingsFolder(const std::string& settingsPath);

}  // namespace palvoren
