#include "core/progress/CProgressProtocol.h"

#include "core/app/CQuillmarch6App.h"
#include "core/progress/IProgressWindow.h"

namespace quillmarch {

void CProgressProtocol::StartProgressWindow() {
    IProgressWindowFactory* factory = m_app.ProgressWindowFactory();
    m_app.m_hProgressWnd = factory ? factory->Start() : nullptr;
    m_app.m_strProgressCaption = m_app.m_strSystemName + "-" + m_app.m_strAddress;
    if (!m_app.m_hProgressWnd) return;
    SProgressMessage caption;
    caption.id = UM_PROGRESS_CAPTION;
    caption.text = m_app.m_strProgressCaption;
    caption.hasText = true;
    m_app.m_hProgressWnd->Send(caption);  // the answer is not used
}

bool CProgressProtocol::SendProgress(unsigned message, std::int64_t wParam, std::int64_t lParam) {
    return Send(message, wParam, lParam, nullptr);
}

bool CProgressProtocol::SendProgress(unsigned message, std::int64_t wParam, std::int64_t lParam,
                                     const std::string& text) {
    return Send(message, wParam, lParam, &text);
}

bool CProgressProtocol::Send(unsigned message, std::int64_t wParam, std::int64_t lParam,
                             const std::string* text) {
    if (IRunObserver* observer = m_app.RunObserver()) {
        if (message == UM_PROGRESS_TASK_START) observer->OnTaskStart(text ? *text : std::string());
        if (message == UM_PROGRESS_TASK_DONE) observer->OnTaskDone();
    }
    if (!m_app.m_bUpdateRunning) return false;
    std::shared_ptr<IProgressWindow> window = m_app.m_hProgressWnd;
    if (!window) return m_app.m_bUpdateRunning;

    SProgressMessage sent;
    sent.id = message;
    sent.wParam = wParam;
    sent.lParam = lParam;
    if (text) {
        sent.text = *text;
        sent.hasText = true;
    }
    if (window->Send(sent) == PROGRESS_STATE_RUNNING) {
        if (message == UM_PROGRESS_CLOSE) m_app.m_hProgressWnd.reset();
        return m_app.m_bUpdateRunning;
    }
    // Closed or gone: the operator cancelled. Tell it once more to close and stop sending.
    SProgressMessage close;
    close.id = UM_PROGRESS_CLOSE;
    window->Send(close);
    m_app.m_hProgressWnd.reset();
    m_app.WriteLog(m_app.LoadUiString(238, "Got IDCANCEL from Progress Dlg"), 0);
    m_app.m_bUpdateRunning = false;
    return false;
}

}  // namespace quillmarch
