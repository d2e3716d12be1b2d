#include "gui/progress/ProgressWindowBridge.h"

#include "gui/progress/GuiThreadCall.h"
#include "gui/progress/ProgressDialog.h"

namespace quillmarch {

ProgressWindowBridge::ProgressWindowBridge(ProgressDialog* dialog) : m_dialog(dialog) {
    if (!dialog) {
        m_gone->store(true);
        return;
    }
    QObject::connect(dialog, &QObject::destroyed, [gone = m_gone] { gone->store(true); });
}

int ProgressWindowBridge::Send(const SProgressMessage& message) {
    if (WindowGone()) return PROGRESS_STATE_GONE;
    int answer = PROGRESS_STATE_GONE;  // stays so when the window goes before the call runs
    CallOnGuiThread([dialog = m_dialog, &answer, &message] {
        if (dialog) answer = dialog->HandleMessage(message);
    });
    return answer;
}

void ProgressWindowBridge::Post(const SProgressMessage& message) {
    if (WindowGone()) return;
    PostToGuiThread([dialog = m_dialog, message] {
        if (dialog) dialog->HandleMessage(message);
    });
}

}  // namespace quillmarch
