#include "app/application.h"

#include <QIcon>
#include <QPixmap>
#include <stdexcept>
#include <string>

#include "app/error_box.h"

namespace palvoren {
namespace {

// The program's icon, "MAINICON": a football, 32 x 32 pixels in 16 colours, for the window frame
// and the taskbar.
#include "app/football.xpm"

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Palvoren"));
    setApplicationDisplayName(QStringLiteral("Palvoren"));
    // Ties the window to the installed desktop entry, for its icon and name in docks and task
    // lists (Wayland compositors know a window by this name alone).
    setDesktopFileName(QStringLiteral(PALVOREN_APP_ID));
    setWindowIcon(QIcon(QPixmap(football_xpm)));
}

bool Application::notify(QObject* receiver, QEvent* event) {
    // The window's handlers catch their own errors; this is for the rest (a slot connected from
    // elsewhere, a paint event). Letting the exception go on would end the program through the
    // event loop, losing the user's scores.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowErrorBox(error);
    } catch (...) {
        ShowErrorBox(std::runtime_error(std::string(kUnknownErrorMessage)));
    }
    return true;
}

}  // namespace palvoren
