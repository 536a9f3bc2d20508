#include "app/exit_save.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>
#include <cstdlib>

#include "app/session_end.h"
#include "ui/tvarnek.h"

namespace palvoren {
namespace {

// Long enough for the save, short enough not to hold up the end of a session.
constexpr int kWaitForSaveMs = 3000;

TVarnek* gWindow = nullptr;  // used on the GUI thread only
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

}  // namespace

ExitSave::ExitSave(TVarnek& window) {
    // atexit handlers cannot be taken back, so one is registered for the life of the process and
    // does nothing once the window has gone the normal way.
    [[maybe_unused]] static const bool registered = std::atexit(SaveBeforeTheEnd) == 0;
    gWindow = &window;
    gPreviousHandler = qInstallMessageHandler(OnMessage);
    // Inside the running loop only when the platform ends the process from there (Windows, at
    // WM_ENDSESSION). A normal end emits it after the loop has returned, and main then saves.
    aboutToQuit_ = QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
        if (QThread::currentThread()->loopLevel() > 0)
            SaveBeforeTheEnd();
    });
}

ExitSave::~ExitSave() {
    QObject::disconnect(aboutToQuit_);
    qInstallMessageHandler(gPreviousHandler);
    gWindow = nullptr;
}

}  // namespace palvoren
