#include "gui/GuiHooks.h"

#include <cstdlib>

#include "gui/progress/CGuiRun.h"
#include "gui/wizard/CWizardMode.h"

namespace quillmarch {

namespace {

bool DisplayAvailable() {
#ifdef _WIN32
    return true;
#else
    // Without a display Qt would abort at start; a run then keeps to the terminal.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
#endif
}

}  // namespace

SGuiHooks MakeGuiHooks() {
    SGuiHooks hooks;
    hooks.displayAvailable = &DisplayAvailable;
    hooks.runWithProgressWindow = &RunCommandLineWithProgressWindow;
    hooks.runWizard = &RunWizardMode;
    return hooks;
}

}  // namespace quillmarch
