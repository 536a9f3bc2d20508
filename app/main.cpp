// Palvoren: the group stage of the 2002 World Cup, one group page at a time.
#include <optional>

#include "app/application.h"
#include "app/error_box.h"
#include "app/exit_save.h"
#include "app/instance_guard.h"
#include "app/platform_choice.h"
#include "app/show_state.h"
#include "app/signal_bridge.h"
#include "ui/tvarnek.h"

int main(int argc, char** argv) {
    // Before anything else, so that a second copy leaves no trace: no window, no settings file.
    const palvoren::InstanceGuard guard = palvoren::InstanceGuard::Acquire();
    if (!guard.Owned())
        return 0;

    palvoren::ChoosePlatform(argc, argv);
    palvoren::Application app(argc, argv);
    palvoren::TVarnek window(palvoren::TVarnekOptions{palvoren::ShowErrorBox, std::nullopt});
    const palvoren::ExitSave exitSave(window);
    // Before the window shows: a SIGTERM that comes with the first paint must close it the
    // orderly way, not end the process unsaved.
    palvoren::SignalBridge bridge(&window);
    // A window never shown before is shown minimised without the activation (SW_SHOWMINNOACTIVE);
    // WA_ShowWithoutActivating would turn that into a normal show.
    window.setWindowState(palvoren::StartupState());
    window.show();
    app.exec();

    // After a signal (a log-out, a shutdown, a kill) no one may be left to answer a box.
    if (bridge.Signalled())
        exitSave.SaveNow();
    // The loop ends with the window closed. The save comes before any control goes; a failure is
    // shown by the window's own guard, and the program still ends normally.
    bridge.ShutdownStarted();
    window.hide();
    window.FormDestroy();
    return 0;
}
