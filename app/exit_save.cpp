#include "app/exit_save.h"

#include <cstdio>
#include <cstdlib>

#include "ui/tvarnek.h"

namespace palvoren {
namespace {

TVarnek* gWindow = nullptr;

void SaveAtExit() {
    TVarnek* window = gWindow;
    gWindow = nullptr;
    if (window == nullptr)
        return;
    if (const auto failure = window->FormDestroyWithoutDisplay())
        std::fprintf(stderr, "Palvoren: %s.\n", failure->c_str());
}

}  // namespace

ExitSave::ExitSave(TVarnek& window) {
    // atexit handlers cannot be taken back, so one is registered for the life of the process and
    // does nothing once the window has gone the normal way.
    static const bool registered = std::atexit(SaveAtExit) == 0;
    if (registered)
        gWindow = &window;
}

ExitSave::~ExitSave() {
    gWindow = nullptr;
}

}  // namespace palvoren
