// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <atomic>
#include <chrono>
#include <functional>

#include "core/util/IClock.h"

namespace quillmarch::test {

// A clock for runs on a worker thread while the GUI thread reads the time: waits advance
// virtual time at once (and may call a hook on the waiting thread), reads are safe anywhere.
class CProgressTestClock : public IClock {
public:
    void Wait(std::chrono::milliseconds duration) override {
        m_now += duration.count();
        if (m_onWait) m_onWait(duration);
    }
    std::chrono::milliseconds Now() const override { return std::chrono::milliseconds(m_now); }
    void Advance(std::chrono::milliseconds duration) { m_now += duration.count(); }

    // Called by every wait, on the waiting thread. Set it before the run starts.
    std::function<void(std::chrono::milliseconds)> m_onWait;

private:
    std::atomic<long long> m_now{1000000};  // not 0: a run starts at an arbitrary time
};

}  // namespace quillmarch::test
