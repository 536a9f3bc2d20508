// Which windowing platform the program asks Qt for. Wayland lets no client place its window or
// learn where it stands, so the saved position would be lost there: where an X display is
// reachable (DISPLAY is set, as XWayland does in a Wayland session), the program runs on X, and on
// Wayland only when that display cannot be opened. A platform the user chose (QT_QPA_PLATFORM or
// the -platform argument) always stands. Windows and macOS have only their own.
#pragma once

namespace palvoren {

// The platform list to ask for, or nullptr for Qt's own choice, given the values of
// QT_QPA_PLATFORM and DISPLAY (nullptr when unset; empty counts as unset, as for Qt) and the
// program's arguments.
const char* PlatformRequest(const char* userPlatform, const char* display, int argc, char** argv);

// Asks Qt for this process's PlatformRequest. Must run before the QApplication is made.
void ChoosePlatform(int argc, char** argv);

}  // namespace palvoren
