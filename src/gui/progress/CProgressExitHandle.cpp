#include "gui/progress/CProgressExitHandle.h"

#include <QWidget>

#include "core/app/CQuillmarch6App.h"
#include "gui/progress/CProgressDlg.h"
#include "gui/progress/CProgressWindowBridge.h"
#include "gui/progress/GuiThreadCall.h"

namespace quillmarch {

void CProgressExitHandle::HandOver(CQuillmarch6App& app,
                                   std::unique_ptr<QApplication> application) {
    const auto bridge = std::dynamic_pointer_cast<CProgressWindowBridge>(app.m_hProgressWnd);
    if (bridge && !bridge->WindowGone()) {
        app.m_hProgressWnd =
            std::make_shared<CProgressExitHandle>(app.m_hProgressWnd, std::move(application));
        return;
    }
    if (application) {
        DeleteProgressWindows();
        application.reset();
    }
}

CProgressExitHandle::CProgressExitHandle(std::shared_ptr<IProgressWindow> window,
                                         std::unique_ptr<QApplication> application)
    : m_pWindow(std::move(window)), m_pApplication(std::move(application)) {}

CProgressExitHandle::~CProgressExitHandle() {
    if (!m_pApplication) return;  // the caller's application: its windows are its business
    DeleteProgressWindows();
    m_pApplication.reset();
}

int CProgressExitHandle::Send(const SProgressMessage& message) {
    const int answer = m_pWindow->Send(message);
    if (OnGuiThread()) DeliverQueued();
    return answer;
}

void CProgressExitHandle::Post(const SProgressMessage& message) {
    m_pWindow->Post(message);
    if (OnGuiThread()) DeliverQueued();
}

void CProgressExitHandle::DeliverQueued() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();  // lets the window system see the window go
}

void CProgressExitHandle::DeleteProgressWindows() {
    if (!QCoreApplication::instance()) return;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<CProgressDlg*>(widget)) delete dialog;
    }
}

}  // namespace quillmarch
