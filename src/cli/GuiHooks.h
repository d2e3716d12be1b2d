// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>

namespace quillmarch {

class RunContext;
class MessageBoxRouter;

// What the GUI library adds to the executable. Empty hooks mean a build without GUI.
struct GuiHooks {
    // True when a window can be shown (a display is there and Qt can start on it).
    std::function<bool()> displayAvailable;
    // A non-quiet command-line run with the progress window; answers the run's outcome.
    std::function<bool(RunContext&, MessageBoxRouter&, int& argc, char** argv)>
        runWithProgressWindow;
    // Wizard mode: the welcome dialog and the wizard; answers the exit code.
    std::function<int(RunContext&, MessageBoxRouter&, int& argc, char** argv)> runWizard;
};

}  // namespace quillmarch
