#include "core/progress/ProgressProtocol.h"

#include "core/job/RunContext.h"
#include "core/progress/IProgressWindow.h"

namespace quillmarch {

void ProgressProtocol::StartProgressWindow() {
    IProgressWindowFactory* factory = m_app.ProgressWindowFactory();
    m_app.m_progressWnd = factory ? factory->Start() : nullptr;
    m_app.Job().options.progressCaption =
        m_app.Job().target.systemName + "-" + m_app.Job().target.address;
    if (!m_app.m_progressWnd) return;
    SProgressMessage caption;
    caption.id = UM_PROGRESS_CAPTION;
    caption.text = m_app.Job().options.progressCaption;
    caption.hasText = true;
    m_app.m_progressWnd->Send(caption);  // the answer is not used
}

bool ProgressProtocol::SendProgress(unsigned message, std::int64_t wParam, std::int64_t lParam) {
    return Send(message, wParam, lParam, nullptr);
}

bool ProgressProtocol::SendProgress(unsigned message, std::int64_t wParam, std::int64_t lParam,
                                    const std::string& text) {
    return Send(message, wParam, lParam, &text);
}

bool ProgressProtocol::Send(unsigned message, std::int64_t wParam, std::int64_t lParam,
                            const std::string* text) {
    if (IRunObserver* observer = m_app.RunObserver()) {
        if (message == UM_PROGRESS_TASK_START) observer->OnTaskStart(text ? *text : std::string());
        if (message == UM_PROGRESS_TASK_DONE) observer->OnTaskDone();
    }
    if (!m_app.m_updateRunning) return false;
    std::shared_ptr<IProgressWindow> window = m_app.m_progressWnd;
    if (!window) return m_app.m_updateRunning;

    SProgressMessage sent;
    sent.id = message;
    sent.wParam = wParam;
    sent.lParam = lParam;
    if (text) {
        sent.text = *text;
        sent.hasText = true;
    }
    if (window->Send(sent) == PROGRESS_STATE_RUNNING) {
        if (message == UM_PROGRESS_CLOSE) m_app.m_progressWnd.reset();
        return m_app.m_updateRunning;
    }
    // Closed or gone: the operator cancelled. Tell it once more to close and stop sending.
    SProgressMessage close;
    close.id = UM_PROGRESS_CLOSE;
    window->Send(close);
    m_app.m_progressWnd.reset();
    m_app.WriteLog(m_app.LoadUiString(238, "Got IDCANCEL from Progress Dlg"), 0);
    m_app.m_updateRunning = false;
    return false;
}

}  // namespace quillmarch
