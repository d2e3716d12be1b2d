// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/app/GuiEntryPoints.h"

#include <cstdlib>

#include "gui/progress/GuiRun.h"
#include "gui/wizard/WizardMode.h"

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

GuiHooks MakeGuiHooks() {
    GuiHooks hooks;
    hooks.displayAvailable = &DisplayAvailable;
    hooks.runWithProgressWindow = &RunCommandLineWithProgressWindow;
    hooks.runWizard = &RunWizardMode;
    return hooks;
}

}  // namespace quillmarch
