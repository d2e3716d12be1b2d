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

}  // namespace quillmarch
