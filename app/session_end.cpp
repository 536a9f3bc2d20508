#include "app/session_end.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QSemaphore>
#include <QThread>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/error_box.h"
#include "ui/tvarnek.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace palvoren {
namespace {

// Long enough for the save, short enough not to hold up the end of a session.
constexpr int kWaitForSaveMs = 3000;

QPointer<TVarnek> gWindow;  // used on the GUI thread only
QtMessageHandler gPreviousHandler = nullptr;
QSemaphore gSavedOnRequest;

// The window saves once; after that, or after the window has gone, this does nothing.
void SaveBeforeTheEnd() {
    if (gWindow == nullptr)
        return;
    if (const auto failure = gWindow->SaveWithoutDisplay())
        PrintError(*failure);
}

void SaveOnRequest() {
    SaveBeforeTheEnd();
    gSavedOnRequest.release();
}

// Qt's Wayland client reports its broken connection in these words, from whichever of its threads
// saw it, and calls _exit() as soon as the message has been handled.
void OnMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app != nullptr && message.startsWith(u"The Wayland connection")) {
        if (QThread::currentThread() == app->thread()) {
            SaveBeforeTheEnd();
        } else {
            // The window belongs to the GUI thread: the save runs there while this thread holds
            // back the end.
            QMetaObject::invokeMethod(app, SaveOnRequest, Qt::QueuedConnection);
            gSavedOnRequest.tryAcquire(1, kWaitForSaveMs);
        }
    }
    if (gPreviousHandler != nullptr)
        gPreviousHandler(type, context, message);
}

#ifndef _WIN32

// The handler can only reach the object through values it may use in a signal.
volatile std::sig_atomic_t gWriteEnd = -1;
// Set by the handler itself, so that a signal that comes once the loop no longer runs (while main
// saves) still keeps a failure out of a box.
volatile std::sig_atomic_t gSignalled = 0;
volatile std::sig_atomic_t gInterrupts = 0;

void OnSignal(int signal) {
    if (signal == SIGINT && gInterrupts != 0) {
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    if (signal == SIGINT)
        gInterrupts = 1;
    gSignalled = 1;
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a byte that closes the window; losing this one changes nothing.
    [[maybe_unused]] const ssize_t written = ::write(gWriteEnd, &byte, 1);
    errno = savedErrno;
}
#endif

}  // namespace

void PrintError(std::string_view message) noexcept {
    try {
        std::fprintf(stderr, "Palvoren: %s\n", ErrorBoxText(message).c_str());
    } catch (...) {
        // Nothing is left to tell it with.
    }
}

SessionEnd::SessionEnd() {
    qApp->installEventFilter(this);
#ifndef _WIN32
    if (gWriteEnd != -1 || ::pipe2(pipe_.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SessionEnd::OnSignalByte);
    gWriteEnd = pipe_[1];
    gSignalled = 0;
    gInterrupts = 0;
    InstallHandlers();
#endif
}

SessionEnd::~SessionEnd() {
    if (aboutToQuit_) {
        QObject::disconnect(aboutToQuit_);
        qInstallMessageHandler(gPreviousHandler);
        gWindow = nullptr;
    }
#ifndef _WIN32
    if (notifier_ != nullptr)
        gWriteEnd = -1;
    notifier_.reset();
    for (const int end : pipe_) {
        if (end != -1)
            ::close(end);
    }
#endif
}

bool SessionEnd::Unattended() const {
#ifndef _WIN32
    if (notifier_ != nullptr && gSignalled != 0)
        return true;
#endif
    return sessionEnded_;
}

void SessionEnd::ShowError(const std::exception& error) const noexcept {
    if (Unattended())
        PrintError(error.what());
    else
        ShowErrorBox(error);
}

void SessionEnd::SaveAtAbruptEnd(TVarnek& window) {
    // atexit handlers cannot be taken back, so one is registered for the life of the process and
    // does nothing once the window has gone the normal way.
    [[maybe_unused]] static const bool registered = std::atexit(SaveBeforeTheEnd) == 0;
    gWindow = &window;
    gPreviousHandler = qInstallMessageHandler(OnMessage);
    // Inside the running loop only when the platform ends the process from there (Windows, at
    // WM_ENDSESSION). A normal end emits it after the loop has returned, and main then saves.
    aboutToQuit_ = connect(qApp, &QCoreApplication::aboutToQuit, [] {
        if (QThread::currentThread()->loopLevel() > 0)
            SaveBeforeTheEnd();
    });
}

bool SessionEnd::eventFilter(QObject* watched, QEvent* event) {
    // The platform's own request to quit (the session manager's "die", a Windows session's end)
    // arrives spontaneously; the program's own quit after its last window closed is posted.
    if (watched == qApp && event->type() == QEvent::Quit && event->spontaneous())
        sessionEnded_ = true;
    return false;
}

void SessionEnd::CloseWindows() {
    // A box waits for a click that will not come; closing it lets the handler that opened it
    // finish before the window goes.
    QWidget* last = nullptr;
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal == last || !modal->close())
            break;
        last = modal;
    }
    QApplication::closeAllWindows();
}

#ifndef _WIN32

void SessionEnd::InstallHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
}

void SessionEnd::OnSignalByte() {
    char bytes[64];
    while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
    }
    CloseWindows();
}

#endif

}  // namespace palvoren
