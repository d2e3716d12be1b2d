#include "core/device/RestartWatch.h"

#include "core/device/SystemProbe.h"
#include "core/job/RunContext.h"

namespace quillmarch {

bool RestartWatch::Back() {
    if (!m_app.Job().options.verify) return false;
    if (!SystemProbe::Answers(m_app)) {
        m_seenAway = true;
        return false;
    }
    return m_seenAway;
}

bool RestartWatch::PauseUntilBack(std::chrono::milliseconds step) {
    if (!m_app.Job().options.verify) {
        m_app.Clock().Wait(step);
        return false;
    }
    for (int quarter = 0; quarter < 4; ++quarter) {
        m_app.Clock().Wait(step / 4);
        if (Back()) return true;
    }
    return false;
}

}  // namespace quillmarch
