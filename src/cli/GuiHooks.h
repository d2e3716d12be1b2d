// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <optional>

namespace quillmarch {

class RunContext;
class MessageBoxRouter;

// Ends the program from wherever it is, given the run's outcome (none when no run was made):
// finishes the log and the report and exits with the run's code; does not return. The GUI
// calls it when the display goes away under a run.
using ProgramEnd = std::function<void(std::optional<bool> outcome)>;

// What the GUI library adds to the executable. Empty hooks mean a build without GUI.
struct GuiHooks {
    // True when a window can be shown (a display is there and Qt can start on it).
    std::function<bool()> displayAvailable;
    // A non-quiet command-line run with the progress window; answers the run's outcome.
    std::function<bool(RunContext&, MessageBoxRouter&, int& argc, char** argv, const ProgramEnd&)>
        runWithProgressWindow;
    // Wizard mode: the welcome dialog and the wizard; answers the exit code.
    std::function<int(RunContext&, MessageBoxRouter&, int& argc, char** argv, const ProgramEnd&)>
        runWizard;
};

}  // namespace quillmarch
