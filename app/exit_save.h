// The settings are saved even when the process ends by exit() from inside the event loop: Qt's X11
// connection does that when the display goes away (a dropped remote session, a crashed server),
// and the typed scores would be lost. While an ExitSave lives, such an end saves the window's
// settings without touching the display and writes any failure to standard error, as no box can
// be shown. Only one at a time; it must not outlive the window.
#pragma once

namespace palvoren {

class TVarnek;

class ExitSave {
public:
    explicit ExitSave(TVarnek& window);
    ~ExitSave();
    ExitSave(const ExitSave&) = delete;
    ExitSave& operator=(const ExitSave&) = delete;
};

}  // namespace palvoren
