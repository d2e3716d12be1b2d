// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>

#include "core/progress/IProgressWindow.h"

namespace quillmarch {

class ProgressDialog;

// The engine's handle on a progress window that lives on the GUI thread. A call that answers
// a state is a blocking call on the GUI thread answered with the window's state; Bytes and
// PostClose are queued calls. The bridge may outlive the window (the job record and the link
// keep it): once the window is gone every call answers Gone at once, and a call Qt drops on
// the way answers Gone too, so the engine reads either as a cancellation. Calls from the GUI
// thread itself are handled directly.
class ProgressWindowBridge : public IProgressWindow {
public:
    // Made on the GUI thread for a window that exists.
    explicit ProgressWindowBridge(ProgressDialog* dialog);

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

    // True once the window has been destroyed (any thread).
    bool WindowGone() const { return m_gone->load(); }
    // The window, or null once it is gone. GUI thread only.
    ProgressDialog* Window() const { return m_dialog.data(); }

private:
    using WindowCall = std::function<ProgressState(ProgressDialog&)>;
    using WindowPost = std::function<void(ProgressDialog&)>;
    // Runs call on the GUI thread and waits for its answer.
    ProgressState Ask(const WindowCall& call);
    // Queues call for the GUI thread.
    void Tell(WindowPost call);

    // Read by worker threads only to be copied into calls that run on the GUI thread.
    const QPointer<ProgressDialog> m_dialog;
    const std::shared_ptr<std::atomic<bool>> m_gone = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace quillmarch
