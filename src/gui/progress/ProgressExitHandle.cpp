#include "gui/progress/ProgressExitHandle.h"

#include <QWidget>

#include "core/job/RunContext.h"
#include "gui/progress/GuiThreadCall.h"
#include "gui/progress/ProgressDialog.h"
#include "gui/progress/ProgressWindowBridge.h"

namespace quillmarch {

void ProgressExitHandle::HandOver(RunContext& app, std::unique_ptr<QApplication> application) {
    const auto bridge = std::dynamic_pointer_cast<ProgressWindowBridge>(app.m_progressWnd);
    if (bridge && !bridge->WindowGone()) {
        app.m_progressWnd =
            std::make_shared<ProgressExitHandle>(app.m_progressWnd, std::move(application));
        return;
    }
    if (application) {
        DeleteProgressWindows();
        application.reset();
    }
}

ProgressExitHandle::ProgressExitHandle(std::shared_ptr<IProgressWindow> window,
                                       std::unique_ptr<QApplication> application)
    : m_window(std::move(window)), m_application(std::move(application)) {}

ProgressExitHandle::~ProgressExitHandle() {
    if (!m_application) return;  // the caller's application: its windows are its business
    DeleteProgressWindows();
    m_application.reset();
}

int ProgressExitHandle::Send(const SProgressMessage& message) {
    const int answer = m_window->Send(message);
    if (OnGuiThread()) DeliverQueued();
    return answer;
}

void ProgressExitHandle::Post(const SProgressMessage& message) {
    m_window->Post(message);
    if (OnGuiThread()) DeliverQueued();
}

void ProgressExitHandle::DeliverQueued() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();  // lets the window system see the window go
}

void ProgressExitHandle::DeleteProgressWindows() {
    if (!QCoreApplication::instance()) return;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<ProgressDialog*>(widget)) delete dialog;
    }
}

}  // namespace quillmarch
