// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "core/util/IClock.h"

namespace quillmarch {

class RunInterrupt;

// Sleeps for real. Every wait is multiplied by a scale (QUILLMARCH_TIME_SCALE), a test and
// demo aid that lets a whole run against the simulator finish in seconds.
class RealClock : public IClock {
public:
    explicit RealClock(double scale = 1.0);
    void Wait(std::chrono::milliseconds duration) override;
    std::chrono::milliseconds Now() const override;
    double Scale() const { return m_scale; }
    // A wait ends early once the run should stop, so an operator's stop does not sit out a
    // reboot wait.
    void SetInterrupt(const RunInterrupt* interrupt) { m_interrupt = interrupt; }

    // Reads QUILLMARCH_TIME_SCALE; anything but a positive finite number gives 1.
    static double ScaleFromEnvironment();
    static double ParseScale(const std::string& text);
    // Empty when QUILLMARCH_TIME_SCALE is unset or a positive finite number; otherwise the
    // message that refuses the run (0, nan or a typo must not silently mean 1).
    static std::string ScaleProblem();

private:
    double m_scale;
    const RunInterrupt* m_interrupt = nullptr;
};

}  // namespace quillmarch
