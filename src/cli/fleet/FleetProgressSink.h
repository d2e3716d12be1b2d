// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>

#include "core/progress/IProgressWindow.h"

namespace quillmarch::fleet {

class FleetView;

// The progress window of one system of a fleet: the engine's task starts, percentages and
// byte counts become that system's live line. It never cancels a run.
class FleetProgressSink : public IProgressWindow {
public:
    FleetProgressSink(FleetView& view, std::size_t system) : m_view(view), m_system(system) {}

    ProgressState Caption(const std::string&) override { return ProgressState::Running; }
    ProgressState RunStarted(std::int64_t, std::int64_t) override { return ProgressState::Running; }
    ProgressState TaskStarted(const std::optional<std::string>& name,
                              std::int64_t totalBytes) override;
    ProgressState Percent(std::int64_t percent,
                          const std::optional<std::string>& taskName) override;
    ProgressState TaskDone() override { return ProgressState::Running; }
    ProgressState RunEnded() override { return ProgressState::Running; }
    ProgressState Close() override { return ProgressState::Running; }
    ProgressState Ping() override { return ProgressState::Running; }
    void Bytes(std::int64_t bytesSoFar) override;
    void PostClose() override {}

private:
    FleetView& m_view;
    std::size_t m_system;
    std::int64_t m_total = 0;  // bytes of the task's transfer, 0 when it is not one
};

}  // namespace quillmarch::fleet
