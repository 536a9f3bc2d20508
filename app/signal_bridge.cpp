#include "app/signal_bridge.h"

#include <QApplication>
#include <QSessionManager>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace palvoren {

#ifndef _WIN32
namespace {

// The handler can only reach the bridge through values it may use in a signal.
volatile std::sig_atomic_t gWriteEnd = -1;
volatile std::sig_atomic_t gEndAtOnce = 0;

void OnSignal(int signal) {
    if (gEndAtOnce != 0) {
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    gEndAtOnce = 1;
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a byte that closes the window; losing this one changes nothing.
    [[maybe_unused]] const ssize_t written = ::write(gWriteEnd, &byte, 1);
    errno = savedErrno;
}

}  // namespace
#endif

SignalBridge::SignalBridge(QWidget* window) : window_(window) {
    // Agreeing to the end of the session is the default; nothing here may block the log-off.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [](QSessionManager&) {});
#ifndef _WIN32
    if (gWriteEnd != -1 || ::pipe2(pipe_.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SignalBridge::OnSignalByte);
    gWriteEnd = pipe_[1];
    gEndAtOnce = 0;
    InstallHandlers();
#endif
}

void SignalBridge::ShutdownStarted() {
#ifndef _WIN32
    gEndAtOnce = 1;
#endif
}

SignalBridge::~SignalBridge() {
#ifndef _WIN32
    RestoreHandlers();
    if (notifier_ != nullptr)
        gWriteEnd = -1;
    notifier_.reset();
    for (const int end : pipe_) {
        if (end != -1)
            ::close(end);
    }
#endif
}

void SignalBridge::CloseWindows() {
    // A box waits for a click that will not come; closing it lets the handler that opened it
    // finish before the window goes.
    QWidget* last = nullptr;
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal == last || !modal->close())
            break;
        last = modal;
    }
    if (window_ != nullptr)
        window_->close();
}

#ifndef _WIN32

void SignalBridge::InstallHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (::sigaction(kSignals[i], nullptr, &previous_[i]) != 0 ||
            previous_[i].sa_handler == SIG_IGN)
            continue;
        installed_[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

void SignalBridge::RestoreHandlers() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (installed_[i])
            ::sigaction(kSignals[i], &previous_[i], nullptr);
        installed_[i] = false;
    }
}

void SignalBridge::OnSignalByte() {
    char bytes[64];
    while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
    }
    signalled_ = true;
    CloseWindows();
}

#endif

}  // namespace palvoren
