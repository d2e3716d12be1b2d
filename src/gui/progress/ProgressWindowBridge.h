#pragma once

#include <QPointer>
#include <atomic>
#include <memory>

#include "core/progress/IProgressWindow.h"

namespace quillmarch {

class ProgressDialog;

// The engine's handle on a progress window that lives on the GUI thread. A send is a blocking
// call on the GUI thread answered with the window's state; a post is a queued call. The bridge
// may outlive the window (the job record and the link keep it): once the window is gone every
// send answers 0 at once, and a call Qt drops on the way answers 0 too, so the engine reads
// either as a cancellation. Calls from the GUI thread itself are handled directly.
class ProgressWindowBridge : public IProgressWindow {
public:
    // Made on the GUI thread for a window that exists.
    explicit ProgressWindowBridge(ProgressDialog* dialog);

    int Send(const SProgressMessage& message) override;
    void Post(const SProgressMessage& message) override;

    // True once the window has been destroyed (any thread).
    bool WindowGone() const { return m_gone->load(); }
    // The window, or null once it is gone. GUI thread only.
    ProgressDialog* Window() const { return m_dialog.data(); }

private:
    // Read by worker threads only to be copied into calls that run on the GUI thread.
    const QPointer<ProgressDialog> m_dialog;
    const std::shared_ptr<std::atomic<bool>> m_gone = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace quillmarch
