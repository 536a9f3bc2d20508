// The settings are saved when the process is about to end without the event loop returning to
// main, where the normal save runs:
// - exit() from inside the loop: Qt's X11 connection does that when the display goes away (a
//   dropped remote session, a crashed server);
// - aboutToQuit while the loop still runs: the end of a Windows session (log-off, restart, shut
//   down), whose WM_ENDSESSION the process does not outlive;
// - Qt's warning that its Wayland connection broke, after which Qt ends the process at once.
// The typed scores would be lost each time. While an ExitSave lives, such an end saves the
// window's settings from memory, touching neither the display nor the error display, as no one
// could answer a box then. A failure is written to standard error (Windows shows it nowhere); the
// old file stays whole, as a save replaces it atomically, except where it must write the file in
// place (ReplaceFileText says when, and what a cut leaves). The window saves once, so a close that
// follows saves nothing more. Needs a QApplication; only one at a time; it must not outlive the
// window.
#pragma once

#include <QMetaObject>

namespace palvoren {

class TVarnek;

class ExitSave {
public:
    explicit ExitSave(TVarnek& window);
    ~ExitSave();
    ExitSave(const ExitSave&) = delete;
    ExitSave& operator=(const ExitSave&) = delete;

private:
    QMetaObject::Connection aboutToQuit_;
};

}  // namespace palvoren
