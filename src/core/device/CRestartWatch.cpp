#include "core/device/CRestartWatch.h"

#include "core/app/CQuillmarch6App.h"
#include "core/device/CSystemProbe.h"

namespace quillmarch {

bool CRestartWatch::Back() {
    if (!m_app.m_bVerify) return false;
    if (!CSystemProbe::Answers(m_app)) {
        m_bSeenAway = true;
        return false;
    }
    return m_bSeenAway;
}

bool CRestartWatch::PauseUntilBack(std::chrono::milliseconds step) {
    if (!m_app.m_bVerify) {
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
