// Turns the requests to end the program from outside into the ordinary way out: the windows are
// closed on the GUI thread, the event loop ends, and main saves the settings as after a click on
// the close box. Such an end is unattended: after a log-out or a shutdown no one may be left to
// answer a box, so from then on ShowError writes an error to standard error instead.
//
// The requests are:
// - SIGTERM, SIGINT and SIGHUP, each of which writes one byte to a pipe that the GUI thread reads;
//   it closes any open modal box (so the close is not held up by a box no one will answer) and
//   then the windows. A signal that was ignored when this object was built stays ignored, so that
//   a program started under nohup outlives the terminal. On Windows there are no such signals.
// - The end of the session from the session manager (X11's session management, the end of a
//   Windows session), which Qt delivers as a spontaneous quit and then closes the windows itself.
//   The program agrees to every end of a session and asks nothing: no handler is connected to
//   Qt's commitDataRequest, whose default is to let the session end.
//
// A log-out sends SIGTERM and SIGHUP together, and a terminal may send SIGHUP while main is still
// saving: neither ends the program before its save has finished, however many come. Only a
// second SIGINT (a person's second Ctrl+C, at a close that seems stuck) ends it at once. Only one
// at a time. The handlers stay for the life of the process, so that signals that come as it winds
// down after the save cannot end it either.
//
// Some ends do not return to main, where the save runs, and would lose the typed scores; once
// SaveAtAbruptEnd was called, each saves the window's settings from memory, touching neither the
// display nor the error display, and writes a failure to standard error (Windows shows it
// nowhere):
// - exit() from inside the loop: Qt's X11 connection does that when the display goes away (a
//   dropped remote session, a crashed server);
// - aboutToQuit while the loop still runs: the end of a Windows session (log-off, restart, shut
//   down), whose WM_ENDSESSION the process does not outlive;
// - Qt's warning that its Wayland connection broke, after which Qt ends the process at once.
// The window saves once, so a close that follows saves nothing more.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <array>
#include <csignal>
#include <exception>
#include <memory>
#include <string_view>

namespace palvoren {

class TVarnek;

// Writes an error to standard error as the box would show it, for an end with no one to answer.
void PrintError(std::string_view message) noexcept;

class SessionEnd : public QObject {
    Q_OBJECT

public:
    // Needs a QApplication. When the pipe or a handler cannot be set up, the signals keep their
    // previous handling; the program runs on.
    SessionEnd();
    ~SessionEnd() override;
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    // Whether a request from outside has come, so that no one may be left to answer a box.
    bool Unattended() const;
    // Shows the error with ShowErrorBox, or writes it to standard error once the end is
    // unattended. Never throws.
    void ShowError(const std::exception& error) const noexcept;
    // Saves the window at the ends above, for as long as both this object and the window live.
    void SaveAtAbruptEnd(TVarnek& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void CloseWindows();

    bool sessionEnded_ = false;
    QMetaObject::Connection aboutToQuit_;
#ifndef _WIN32
    static constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

    static void InstallHandlers();
    void OnSignalByte();

    std::array<int, 2> pipe_{-1, -1};  // read end, write end
    std::unique_ptr<QSocketNotifier> notifier_;
#endif
};

}  // namespace palvoren
