#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/progress/IProgressWindowFactory.h"

namespace quillmarch {

class CQuillmarch6App;
class CProgressDlg;

// Starts the progress window of a run: the engine asks from its worker thread, the window is
// made and shown on the GUI thread, and the engine gets a CProgressWindowBridge to it.
class CProgressDlgFactory : public IProgressWindowFactory {
public:
    // Called on the GUI thread with each new window before it is shown.
    using CreatedHandler = std::function<void(CProgressDlg&)>;

    // Made on the GUI thread. mainWindow: where the windows place themselves (may be null).
    CProgressDlgFactory(CQuillmarch6App& app, QWidget* mainWindow, CreatedHandler onCreated = {});

    // Null when there is no GUI to show a window on; the run then goes on without one.
    std::shared_ptr<IProgressWindow> Start() override;

private:
    CQuillmarch6App& m_app;
    QPointer<QWidget> m_pMainWindow;  // GUI thread only
    CreatedHandler m_onCreated;
};

}  // namespace quillmarch
