// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/progress/ProgressDialogFactory.h"

#include "gui/progress/GuiThreadCall.h"
#include "gui/progress/ProgressDialog.h"
#include "gui/progress/ProgressWindowBridge.h"

namespace quillmarch {

ProgressDialogFactory::ProgressDialogFactory(RunContext& app, QWidget* mainWindow,
                                             CreatedHandler onCreated)
    : m_app(app), m_mainWindow(mainWindow), m_onCreated(std::move(onCreated)) {}

std::shared_ptr<IProgressWindow> ProgressDialogFactory::Start() {
    std::shared_ptr<IProgressWindow> window;  // stays null when the call cannot run
    CallOnGuiThread([this, &window] {
        auto* dialog = new ProgressDialog(m_app, m_mainWindow.data());
        if (m_onCreated) m_onCreated(*dialog);
        window = std::make_shared<ProgressWindowBridge>(dialog);
        dialog->ShowAbove();
    });
    return window;
}

}  // namespace quillmarch
