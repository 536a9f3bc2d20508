// Turns the requests to end the program from outside into the ordinary way out: the main window
// is closed on the GUI thread, the event loop ends, and the settings are saved as after a click on
// the close box, but with a failure written to standard error: after a log-out or a shutdown no
// one may be left to answer a box (main asks Signalled()).
//
// SIGTERM, SIGINT and SIGHUP each write one byte to a pipe; the GUI thread reads it and closes
// any open modal box (so the save is not held up by a box no one will answer) and then the window.
// A signal that was ignored when the bridge was built stays ignored, so that a program started
// under nohup outlives the terminal. On Windows there are no such signals.
// At the end of the session the program agrees to end without asking anything; the session
// manager's quit then closes the window the same way. One bridge at a time; the destructor puts
// back the signal handlers that were there before.
// A second signal, or any signal once the shutdown has started (the event loop no longer runs to
// hear it), ends the program at once with the signal's default action: whoever sends it has seen
// the orderly close not finish. The settings file is replaced atomically, so nothing half-written
// is left, except where it has to be written in place (ReplaceFileText says when, and what a cut
// then leaves).
#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <array>
#include <csignal>
#include <memory>

namespace palvoren {

class SignalBridge : public QObject {
    Q_OBJECT

public:
    // Needs a QApplication. When the pipe or a handler cannot be set up, the signals keep their
    // previous handling; the program runs on.
    explicit SignalBridge(QWidget* window);
    ~SignalBridge() override;
    SignalBridge(const SignalBridge&) = delete;
    SignalBridge& operator=(const SignalBridge&) = delete;

    // Whether a signal closed the window.
    bool Signalled() const { return signalled_; }

    // The event loop has ended; from now on a signal ends the program at once.
    void ShutdownStarted();

private:
    void CloseWindows();

    QPointer<QWidget> window_;
#ifndef _WIN32
    static constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

    void InstallHandlers();
    void RestoreHandlers();
    void OnSignalByte();

    std::array<int, 2> pipe_{-1, -1};  // read end, write end
    std::array<struct sigaction, kSignals.size()> previous_{};
    std::array<bool, kSignals.size()> installed_{};
#endif
    std::unique_ptr<QSocketNotifier> notifier_;
    bool signalled_ = false;
};

}  // namespace palvoren
