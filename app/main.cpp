// Palvoren: the group stage of the 2002 World Cup, one group page at a time.
#include <optional>

#include "app/application.h"
#include "app/instance_guard.h"
#include "app/platform_choice.h"
#include "app/session_end.h"
#include "app/show_state.h"
#include "ui/tvarnek.h"

int main(int argc, char** argv) {
    // Before anything else, so that a second copy leaves no trace: no window, no settings file.
    const palvoren::InstanceGuard guard = palvoren::InstanceGuard::Acquire();
    if (!guard.Owned())
        return 0;

    palvoren::ChoosePlatform(argc, argv);
    palvoren::Application app(argc, argv);
    // Before the window exists: a SIGTERM that comes with the first paint must close it the
    // orderly way, not end the process unsaved.
    palvoren::SessionEnd sessionEnd;
    palvoren::TVarnek window(palvoren::TVarnekOptions{
        [&sessionEnd](const std::exception& error) { sessionEnd.ShowError(error); }, std::nullopt});
    sessionEnd.SaveAtAbruptEnd(window);
    // A window never shown before is shown minimised without the activation (SW_SHOWMINNOACTIVE);
    // WA_ShowWithoutActivating would turn that into a normal show.
    window.setWindowState(palvoren::StartupState());
    window.show();
    app.exec();

    // The loop ends with the window closed. The save comes before any control goes; a failure goes
    // to the window's error display (no box after a log-out, a shutdown or a kill, as no one may be
    // left to answer it), and the program still ends normally.
    window.FormDestroy();
    return 0;
}
