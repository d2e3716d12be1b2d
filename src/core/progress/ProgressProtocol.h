// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/progress/IProgressWindow.h"

namespace quillmarch {

class RunContext;

// The engine's side of the progress window: starting it, and the calls every progress report
// goes through, which turn a closed or missing window into a cancellation. Each answers true
// while the run may go on.
class ProgressProtocol {
public:
    explicit ProgressProtocol(RunContext& app) : m_app(app) {}

    // Starts the window (when the application has a window factory) and gives it the caption.
    void StartProgressWindow();

    bool RunStarted(std::int64_t taskCount, std::int64_t parentWindow);
    // totalBytes: the transfer's size, or kStepTaskBytes / kWaitTaskBytes.
    bool TaskStarted(const std::string& name, std::int64_t totalBytes);
    bool Percent(std::int64_t percent);
    // The same, renaming the current task (a retry).
    bool Percent(std::int64_t percent, const std::string& taskName);
    bool TaskDone();
    bool RunEnded();
    bool Close();

private:
    using WindowCall = std::function<ProgressState(IProgressWindow&)>;
    // closes: the call closes the window, which is then let go of.
    bool Deliver(const WindowCall& call, bool closes = false);

    RunContext& m_app;
};

}  // namespace quillmarch
