#include "settings/settings_path.h"

#include <vector>

#include "settings/ini_file.h"

#ifdef _WIN32
#include <windows.h>

#include "settings/win32.h"
#else
#include <unistd.h>
#endif

namespace palvoren {

bool NoLeadBytes(unsigned char) {
    return false;
}

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string SettingsPathFor(std::string_view executablePath, char separator,
                            LeadBytePredicate isLeadByte) {
    // Scanned from the front, because only there is it known which bytes are trail bytes: a CP932
    // trail byte can have the value of "\" (0x5C), as in "表".
    std::size_t decisive = std::string_view::npos;
    for (std::size_t i = 0; i < executablePath.size(); ++i) {
        const char c = executablePath[i];
        if (isLeadByte(static_cast<unsigned char>(c)) && i + 1 < executablePath.size()) {
            ++i;
            continue;
        }
        if (c == '.' || c == separator || c == ':')
            decisive = i;
    }
    std::string path(executablePath);
    if (decisive != std::string_view::npos && path[decisive] == '.')
        path.resize(decisive);
    return path + ".ini";
}

#ifdef _WIN32

std::string ExecutablePath() {
    const std::wstring path = win32::ModuleFileName();
    if (path.empty())
        throw EIniFileException("?");
    return win32::Narrow(path, CP_UTF8);
}

// The path is UTF-8 from here on, whose bytes of non-ASCII characters are all 0x80 or above and so
// never mistaken for ".", "\\" or ":", whatever the system's code page.
std::string SettingsFilePath() {
    return SettingsPathFor(ExecutablePath(), '\\', NoLeadBytes);
}

#else

std::string ExecutablePath() {
    constexpr const char* kSelf = "/proc/self/exe";
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t length = ::readlink(kSelf, buffer.data(), buffer.size());
        if (length <= 0)
            throw EIniFileException(kSelf);
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

// Multibyte encodings on POSIX systems are UTF-8, whose bytes of non-ASCII characters are all
// 0x80 or above and so never mistaken for ".", "/" or ":".
std::string SettingsFilePath() {
    return SettingsPathFor(ExecutablePath(), '/', NoLeadBytes);
}

#endif

}  // namespace palvoren
