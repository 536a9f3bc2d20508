#include "app/show_state.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace palvoren {

#ifdef _WIN32
static_assert(STARTF_USESHOWWINDOW == kStartfUseShowWindow);
static_assert(SW_SHOWMAXIMIZED == kShowMaximized && SW_SHOWMINNOACTIVE == kShowMinNoActive);
#endif

InitialShow InitialShowFor(std::uint32_t startupFlags, int showState) {
    if ((startupFlags & kStartfUseShowWindow) == 0)
        return InitialShow::kNormal;
    switch (showState) {
        case kShowMaximized:
            return InitialShow::kMaximized;
        case kShowMinNoActive:
            return InitialShow::kMinimizedNoActivate;
        default:
            return InitialShow::kNormal;
    }
}

InitialShow StartupShow() {
#ifdef _WIN32
    STARTUPINFOA info{};
    info.cb = sizeof info;
    ::GetStartupInfoA(&info);
    return InitialShowFor(info.dwFlags, info.wShowWindow);
#else
    // Nothing here passes a show state to a starting program.
    return InitialShowFor(0, 0);
#endif
}

}  // namespace palvoren
