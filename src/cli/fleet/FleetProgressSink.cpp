#include "cli/fleet/FleetProgressSink.h"

#include <algorithm>

#include "cli/fleet/FleetView.h"

namespace quillmarch::fleet {

int FleetProgressSink::Send(const SProgressMessage& message) {
    switch (message.id) {
        case UM_PROGRESS_TASK_START:
            m_total = message.lParam;
            m_view.Task(m_system, message.hasText ? message.text : std::string());
            break;
        case UM_PROGRESS_TASK_PERCENT:
            if (message.hasText && !message.text.empty()) m_view.Task(m_system, message.text);
            m_view.Percent(m_system, message.wParam < 0 ? 90 : static_cast<int>(message.wParam));
            break;
        case UM_PROGRESS_BYTES:
            if (m_total > 0)
                m_view.Percent(m_system, static_cast<int>(std::min<std::int64_t>(
                                             100, message.wParam * 100 / m_total)));
            break;
        default:
            break;
    }
    return PROGRESS_STATE_RUNNING;
}

}  // namespace quillmarch::fleet
