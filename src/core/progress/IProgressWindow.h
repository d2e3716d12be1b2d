// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillmarch {

// What a progress window answers a blocking call with.
enum class ProgressState {
    Gone,     // the window no longer exists (or the call never reached it)
    Running,  // the run may go on
    Closed,   // the operator stopped the run, or the window was told to close
    Lost,     // the display went away: the run goes on without a window
};

// Totals of a task start for tasks that move no bytes: a step of the run, and a timed wait
// (which shows 100 % at once should bytes arrive).
inline constexpr std::int64_t kStepTaskBytes = 1;
inline constexpr std::int64_t kWaitTaskBytes = 0;

// The progress window as the engine sees it (the GUI window or the terminal display). The
// calls that answer a state block until the window has handled them; Bytes and PostClose
// return at once (byte counts come from the transfer, the close at the program's exit).
class IProgressWindow {
public:
    virtual ~IProgressWindow() = default;

    // "name-address" for the title.
    virtual ProgressState Caption(const std::string& caption) = 0;
    // parentWindow: who gets the window's end notice (0: nobody).
    virtual ProgressState RunStarted(std::int64_t taskCount, std::int64_t parentWindow) = 0;
    // No name at all shows as an unknown task; an empty name stays empty.
    virtual ProgressState TaskStarted(const std::optional<std::string>& name,
                                      std::int64_t totalBytes) = 0;
    // A negative percentage shows as 90; taskName, when given, replaces the current task's name.
    virtual ProgressState Percent(std::int64_t percent,
                                  const std::optional<std::string>& taskName) = 0;
    virtual ProgressState TaskDone() = 0;
    virtual ProgressState RunEnded() = 0;
    virtual ProgressState Close() = 0;
    // Asks only whether the window is still there.
    virtual ProgressState Ping() = 0;

    // Bytes so far of the current task's transfer.
    virtual void Bytes(std::int64_t bytesSoFar) = 0;
    virtual void PostClose() = 0;
};

}  // namespace quillmarch
