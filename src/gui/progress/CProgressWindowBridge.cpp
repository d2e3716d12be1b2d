#include "gui/progress/CProgressWindowBridge.h"

#include "gui/progress/CProgressDlg.h"
#include "gui/progress/GuiThreadCall.h"

namespace quillmarch {

CProgressWindowBridge::CProgressWindowBridge(CProgressDlg* dialog) : m_pDialog(dialog) {
    if (!dialog) {
        m_pGone->store(true);
        return;
    }
    QObject::connect(dialog, &QObject::destroyed, [gone = m_pGone] { gone->store(true); });
}

int CProgressWindowBridge::Send(const SProgressMessage& message) {
    if (WindowGone()) return PROGRESS_STATE_GONE;
    int answer = PROGRESS_STATE_GONE;  // stays so when the window goes before the call runs
    CallOnGuiThread([dialog = m_pDialog, &answer, &message] {
        if (dialog) answer = dialog->HandleMessage(message);
    });
    return answer;
}

void CProgressWindowBridge::Post(const SProgressMessage& message) {
    if (WindowGone()) return;
    PostToGuiThread([dialog = m_pDialog, message] {
        if (dialog) dialog->HandleMessage(message);
    });
}

}  // namespace quillmarch
