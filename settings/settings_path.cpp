#include "settings/settings_path.h"

#include "settings/ini_file.h"

#ifdef _WIN32
#include <windows.h>

#include "settings/win32.h"
#else
#include <filesystem>
#endif

namespace palvoren {

std::string SettingsPathFor(std::string_view executablePath, char separator) {
    const std::size_t decisive = executablePath.find_last_of(std::string{'.', separator, ':'});
    std::string path(executablePath);
    if (decisive != std::string_view::npos && path[decisive] == '.')
        path.resize(decisive);
    return path + ".ini";
}

#ifdef _WIN32

std::string ExecutablePath() {
    const std::wstring path = win32::ModuleFileName();
    if (path.empty())
        throw EIniFileException::PathUnknown();
    return win32::Narrow(path, CP_UTF8);
}

constexpr char kSeparator = '\\';

#else

std::string ExecutablePath() {
    std::error_code error;
    std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error || path.empty())
        throw EIniFileException::PathUnknown();
    return path;
}

constexpr char kSeparator = '/';

#endif

std::string SettingsFilePath() {
    return SettingsPathFor(ExecutablePath(), kSeparator);
}

}  // namespace palvoren
