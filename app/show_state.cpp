#include "app/show_state.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace palvoren {

Qt::WindowState StartupState() {
#ifdef _WIN32
    STARTUPINFOW info{};
    info.cb = sizeof info;
    ::GetStartupInfoW(&info);
    if ((info.dwFlags & STARTF_USESHOWWINDOW) != 0 && info.wShowWindow == SW_SHOWMAXIMIZED)
        return Qt::WindowMaximized;
    if ((info.dwFlags & STARTF_USESHOWWINDOW) != 0 && info.wShowWindow == SW_SHOWMINNOACTIVE)
        return Qt::WindowMinimized;
#endif
    // Nothing else passes a show state to a starting program.
    return Qt::WindowNoState;
}

}  // namespace palvoren
