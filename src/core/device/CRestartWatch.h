#pragma once

#include <chrono>

namespace quillmarch {

class CQuillmarch6App;

// With --verify a fixed pause around a restart is an upper bound: this tells when the system
// has gone away and answers again, so the pause can end there. Without --verify it never
// looks, and the pause stays as it is.
class CRestartWatch {
public:
    explicit CRestartWatch(CQuillmarch6App& app) : m_app(app) {}

    // Looks once: true when the system was seen away before and answers now.
    bool Back();
    // Waits `step` (one clock wait without --verify); with --verify in quarters, looking after
    // each. True as soon as the system is back.
    bool PauseUntilBack(std::chrono::milliseconds step);

private:
    CQuillmarch6App& m_app;
    bool m_bSeenAway = false;
};

}  // namespace quillmarch
