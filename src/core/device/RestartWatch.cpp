// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/device/RestartWatch.h"

#include <algorithm>
#include <cstdio>

#include "core/device/SystemProbe.h"
#include "core/job/RunContext.h"

namespace quillmarch {

RestartWatch::RestartWatch(RunContext& app, std::chrono::milliseconds limit)
    : m_app(app), m_limit(limit) {}

bool RestartWatch::Answers() {
    const auto before = Start();
    const bool answers = SystemProbe::Answers(m_app);
    Count(before);
    if (!answers) m_seenAway = true;
    return answers;
}

bool RestartWatch::Back() {
    return Answers() && m_seenAway;
}

bool RestartWatch::PauseUntilBack(std::chrono::milliseconds step) {
    // A quarter second between looks: a system that is back is noticed soon, and a bare
    // connection costs nothing.
    constexpr std::chrono::milliseconds kLook{250};
    for (std::chrono::milliseconds waited{0}; waited < step; waited += kLook) {
        const std::chrono::milliseconds pause = std::min(kLook, step - waited);
        m_app.Clock().Wait(pause);
        m_elapsed += pause;
        if (Back()) return true;
    }
    return false;
}

void RestartWatch::LogWaited(const std::string& what) const {
    m_app.WriteLog(WaitedRecord(what, m_elapsed, m_limit), 0);
}

std::string RestartWatch::WaitedRecord(const std::string& what, std::chrono::milliseconds elapsed,
                                       std::chrono::milliseconds limit) {
    char text[200];
    std::snprintf(text, sizeof text, "Waited %.1f s for %s (limit %lld s)",
                  static_cast<double>(elapsed.count()) / 1000.0, what.c_str(),
                  static_cast<long long>(limit.count() / 1000));
    return text;
}

std::chrono::milliseconds RestartWatch::Start() const {
    return m_app.Clock().Now();
}

// The clock's own time: a look or a logon that hangs counts in full.
void RestartWatch::Count(std::chrono::milliseconds before) {
    m_elapsed += std::max(m_app.Clock().Now() - before, std::chrono::milliseconds{0});
}

}  // namespace quillmarch
