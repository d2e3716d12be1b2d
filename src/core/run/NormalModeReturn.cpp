// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/run/NormalModeReturn.h"

#include "core/device/SystemConnector.h"
#include "core/job/RunContext.h"
#include "core/run/RunInterrupt.h"

namespace quillmarch {

SystemEndMode NormalModeReturn::Run() {
    // The stop has been honoured by ending the run; these steps must not be cut short by it.
    RunInterrupt::CriticalSection closing(m_app.Interrupt());
    m_app.WriteLog("Returning the system to normal mode", 0);
    SystemEndMode mode = SystemEndMode::kUnknown;
    if (Reconnect()) {
        DeviceLink& link = *m_app.m_link;
        if (link.IsNormalMode()) {
            mode = SystemEndMode::kNormal;
        } else {
            const bool reset = link.SendCommand("RSWU", nullptr, 1) == 200;
            const bool boot = reset && link.SendCommand("BOOT", nullptr, 1) == 200;
            mode = boot ? SystemEndMode::kNormal : SystemEndMode::kUpdateMode;
        }
        link.Disconnect();
    }
    m_app.WriteLog(Record(mode), 0);
    return mode;
}

bool NormalModeReturn::Reconnect() {
    DeviceLink* link = m_app.m_link.get();
    if (!link) return false;
    const auto started = m_app.Clock().Now();
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        if (link->IsLoggedOn() || SystemConnector(m_app).ConnectToSystem("", "")) return true;
        if (attempt == kAttempts || m_app.Clock().Now() - started >= kLimit) break;
        m_app.Clock().Wait(kPause);
    }
    return false;
}

const char* NormalModeReturn::Record(SystemEndMode mode) {
    switch (mode) {
        case SystemEndMode::kNormal:
            return "System left in normal mode: it restarts with the software it had";
        case SystemEndMode::kUpdateMode:
            return "System left in update mode: it refused RSWU or BOOT; restart it by hand";
        case SystemEndMode::kUnknown:
            return "System left in an unknown mode: it could not be reached to send it back to "
                   "normal mode; it may still be in update mode";
        case SystemEndMode::kUntouched:
            break;
    }
    return "System left as it was";
}

}  // namespace quillmarch
