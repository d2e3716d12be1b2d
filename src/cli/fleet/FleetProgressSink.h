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
    int Send(const SProgressMessage& message) override;
    void Post(const SProgressMessage& message) override { Send(message); }

private:
    FleetView& m_view;
    std::size_t m_system;
    std::int64_t m_total = 0;  // bytes of the task's transfer, 0 when it is not one
};

}  // namespace quillmarch::fleet
