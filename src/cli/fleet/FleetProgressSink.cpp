// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetProgressSink.h"

#include <algorithm>

#include "cli/fleet/FleetView.h"

namespace quillmarch::fleet {

ProgressState FleetProgressSink::TaskStarted(const std::optional<std::string>& name,
                                             std::int64_t totalBytes) {
    m_total = totalBytes;
    m_view.Task(m_system, name.value_or(std::string()));
    return ProgressState::Running;
}

ProgressState FleetProgressSink::Percent(std::int64_t percent,
                                         const std::optional<std::string>& taskName) {
    if (taskName && !taskName->empty()) m_view.Task(m_system, *taskName);
    // The engine sends a negative percentage for "nearly there"; the window shows it as 90.
    m_view.Percent(m_system,
                   percent < 0 ? 90 : static_cast<int>(std::min<std::int64_t>(100, percent)));
    return ProgressState::Running;
}

void FleetProgressSink::Bytes(std::int64_t bytesSoFar) {
    if (m_total <= 0) return;
    m_view.Percent(m_system,
                   static_cast<int>(std::min<std::int64_t>(100, bytesSoFar * 100 / m_total)));
}

}  // namespace quillmarch::fleet
