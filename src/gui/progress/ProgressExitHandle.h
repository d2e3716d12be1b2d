// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QApplication>
#include <functional>
#include <memory>

#include "core/progress/IProgressWindow.h"

namespace quillmarch {

class RunContext;

// What the job record keeps as its progress window once a command-line run is over. The
// program's end (Disconnect, then a close posted to a window still known, then a
// 500 ms wait) happens after the GUI code has returned and no event loop runs any more. This
// handle keeps the Qt application alive until the job record lets go of the window, and
// delivers a close posted or sent from the GUI thread at once, so that the window does close.
// It must be released on the GUI (main) thread: the job record is.
class ProgressExitHandle : public IProgressWindow {
public:
    // Leaves the job record a handle that keeps the application (may be null when the caller
    // keeps its own) alive while a progress window is still known; otherwise deletes what is
    // left of the progress windows and the application at once. GUI thread only.
    static void HandOver(RunContext& app, std::unique_ptr<QApplication> application);

    ProgressExitHandle(std::shared_ptr<IProgressWindow> window,
                       std::unique_ptr<QApplication> application);
    ~ProgressExitHandle() override;
    ProgressExitHandle(const ProgressExitHandle&) = delete;
    ProgressExitHandle& operator=(const ProgressExitHandle&) = delete;

    ProgressState Caption(const std::string& caption) override;
    ProgressState RunStarted(std::int64_t taskCount, std::int64_t parentWindow) override;
    ProgressState TaskStarted(const std::optional<std::string>& name,
                              std::int64_t totalBytes) override;
    ProgressState Percent(std::int64_t percent,
                          const std::optional<std::string>& taskName) override;
    ProgressState TaskDone() override;
    ProgressState RunEnded() override;
    ProgressState Close() override;
    ProgressState Ping() override;
    void Bytes(std::int64_t bytesSoFar) override;
    void PostClose() override;

    // Deletes every progress window still there (before the application goes).
    static void DeleteProgressWindows();

private:
    // Runs what is queued for the windows (handlers, deletions) without an event loop.
    static void DeliverQueued();
    // Hand the call to the window, then deliver what it queued when on the GUI thread.
    ProgressState Forward(const std::function<ProgressState(IProgressWindow&)>& call);
    void ForwardPost(const std::function<void(IProgressWindow&)>& call);

    std::shared_ptr<IProgressWindow> m_window;
    std::unique_ptr<QApplication> m_application;
};

}  // namespace quillmarch
