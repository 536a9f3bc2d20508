#include "app/platform_choice.h"

#include <cstdlib>
#include <string_view>

namespace palvoren {

const char* PlatformRequest(const char* userPlatform, const char* display, int argc, char** argv) {
    const auto set = [](const char* value) { return value != nullptr && *value != '\0'; };
    if (set(userPlatform) || !set(display))
        return nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i] == nullptr ? "" : argv[i];
        if (argument == "-platform" || argument == "--platform")
            return nullptr;
    }
    return "xcb;wayland";
}

void ChoosePlatform([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#if !defined(_WIN32) && !defined(__APPLE__)
    if (const char* request =
            PlatformRequest(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), argc, argv))
        ::setenv("QT_QPA_PLATFORM", request, 1);
#endif
}

}  // namespace palvoren
