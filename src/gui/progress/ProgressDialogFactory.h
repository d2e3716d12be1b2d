// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/progress/IProgressWindowFactory.h"

namespace quillmarch {

class RunContext;
class ProgressDialog;

// Starts the progress window of a run: the engine asks from its worker thread, the window is
// made and shown on the GUI thread, and the engine gets a ProgressWindowBridge to it.
class ProgressDialogFactory : public IProgressWindowFactory {
public:
    // Called on the GUI thread with each new window before it is shown.
    using CreatedHandler = std::function<void(ProgressDialog&)>;

    // Made on the GUI thread. mainWindow: where the windows place themselves (may be null).
    ProgressDialogFactory(RunContext& app, QWidget* mainWindow, CreatedHandler onCreated = {});

    // Null when there is no GUI to show a window on; the run then goes on without one.
    std::shared_ptr<IProgressWindow> Start() override;

private:
    RunContext& m_app;
    QPointer<QWidget> m_mainWindow;  // GUI thread only
    CreatedHandler m_onCreated;
};

}  // namespace quillmarch
