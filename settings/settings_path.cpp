#include "settings/settings_path.h"

#include "settings/ini_file.h"

#ifdef _WIN32
#include <windows.h>

#include "settings/win32.h"
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
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

std::string SettingsFilePath() {
    return SettingsPathFor(ExecutablePath(), '\\');
}

void MakeSettingsFolder(const std::string&) {
    // The file is always beside the program, whose folder is there.
}

#else

std::string ExecutablePath() {
    std::error_code error;
    std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error || path.empty())
        throw EIniFileException::PathUnknown();
    return path;
}

std::string ChooseSettingsPath(std::string_view executablePath, const char* xdgConfigHome,
                               const char* home) {
    namespace fs = std::filesystem;
    const std::string beside = SettingsPathFor(executablePath, '/');
    // Anything under the name, even a link to nothing, was put there by someone: it is the file.
    struct stat entry;
    const std::string folder = fs::path(beside).parent_path().string();
    if (::lstat(beside.c_str(), &entry) == 0 || ::access(folder.c_str(), W_OK | X_OK) == 0)
        return beside;
    // Relative values are to be ignored, as the base directory rules of the desktops say.
    fs::path config;
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/')
        config = xdgConfigHome;
    else if (home != nullptr && home[0] == '/')
        config = fs::path(home) / ".config";
    else
        return beside;
    return (config / "palvoren" / "palvoren.ini").string();
}

std::string SettingsFilePath() {
    return ChooseSettingsPath(ExecutablePath(), std::getenv("XDG_CONFIG_HOME"),
                              std::getenv("HOME"));
}

void MakeSettingsFolder(const std::string& settingsPath) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(settingsPath).parent_path(), ignored);
}

#endif

}  // namespace palvoren
