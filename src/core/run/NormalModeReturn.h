// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>

#include "core/run/SystemEndMode.h"

namespace quillmarch {

class RunContext;

// A system that was asked for update mode (SWUS) stays there until it takes an image. A run
// that ends before that, whatever the cause (a refused upload, a stop, a lost connection),
// sends it back with RSWU and BOOT, waiting a bounded time for it to answer after its restart,
// and says in the log where it left the system. Neither a stop nor a second signal cuts this
// short.
class NormalModeReturn {
public:
    // Connection attempts and the pause between them: together about four minutes, longer than
    // a slow system's restart into update mode.
    static constexpr int kAttempts = 16;
    static constexpr std::chrono::seconds kPause{15};
    // And no new attempt after this long in all: a system that takes connections but never
    // answers costs each attempt its full reply time-out.
    static constexpr std::chrono::seconds kLimit{240};

    explicit NormalModeReturn(RunContext& app) : m_app(app) {}

    [[nodiscard]] SystemEndMode Run();
    // The log record that names the mode; the report reads its start ("System left in ").
    static const char* Record(SystemEndMode mode);

private:
    [[nodiscard]] bool Reconnect();

    RunContext& m_app;
};

}  // namespace quillmarch
