// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <optional>

namespace quillmarch {

// When the display goes away (the X server dies, the session ends), Qt ends the program from
// the GUI thread (exit(1)), which would leave a system in update mode half way through a run.
// While a DisplayLoss lives, that exit first waits for the run on the worker thread, which goes
// on without a window and ends as a quiet run would, and then hands the program's end to its
// owner: the exit code is the run's, and the log and the report are finished.
// The state is the process's: Qt's exit path knows nothing of the run.
class DisplayLoss {
public:
    // Ends the program given the run's outcome (none when no run was made); does not return.
    using ProgramEnd = std::function<void(std::optional<bool> outcome)>;

    // GUI (main) thread: the thread whose exit is caught.
    explicit DisplayLoss(ProgramEnd end);
    ~DisplayLoss();
    DisplayLoss(const DisplayLoss&) = delete;
    DisplayLoss& operator=(const DisplayLoss&) = delete;

    // True once the display is gone: nothing may wait for the GUI thread any more.
    static bool Lost();

    // The update run on its worker thread.
    static void RunStarted();
    static void RunEnded(bool outcome);
    static bool RunActive();

    // What the exit does; public so that a test can play Qt's part without losing a display.
    static void OnExit();
};

}  // namespace quillmarch
