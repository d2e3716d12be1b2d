// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace quillmarch {

class RunInterrupt;

// While it lives, Ctrl+C and SIGTERM (Ctrl+C, Ctrl+Break and closing the console on Windows)
// ask the run to stop at its next safe point, and so does SIGHUP; a second request ends the
// program at once, except while a system is erased or in update mode (the run first makes it
// safe).
// With a second interrupt (a fleet run), the second request goes there instead and only a
// third ends the program.
// The handler's pointer to the current interrupt is process-wide, as a signal is (the
// display-loss guard of the GUI is the only other such state).
class SignalScope {
public:
    explicit SignalScope(RunInterrupt& interrupt, RunInterrupt* second = nullptr);
    ~SignalScope();
    SignalScope(const SignalScope&) = delete;
    SignalScope& operator=(const SignalScope&) = delete;

    // The signal numbers the exit codes are made of (SIGINT 2, SIGTERM 15 on every platform).
    static constexpr int kInterrupt = 2;
    static constexpr int kTerminate = 15;

    // For the whole program: a write to a closed pipe fails instead of ending it.
    static void IgnoreBrokenPipes();
};

}  // namespace quillmarch
