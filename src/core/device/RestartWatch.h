#pragma once

#include <chrono>

namespace quillmarch {

class RunContext;

// With --verify a fixed pause around a restart is an upper bound: this tells when the system
// has gone away and answers again, so the pause can end there. Without --verify it never
// looks, and the pause stays as it is.
class RestartWatch {
public:
    explicit RestartWatch(RunContext& app) : m_app(app) {}

    // Looks once: true when the system was seen away before and answers now.
    bool Back();
    // Waits `step` (one clock wait without --verify); with --verify in quarters, looking after
    // each. True as soon as the system is back.
    bool PauseUntilBack(std::chrono::milliseconds step);

private:
    RunContext& m_app;
    bool m_seenAway = false;
};

}  // namespace quillmarch
