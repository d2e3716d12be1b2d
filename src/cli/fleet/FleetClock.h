// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <string>

namespace quillmarch::fleet {

// The local time of day a fleet's --window is judged by. Tests set QUILLMARCH_TEST_CLOCK to
// "HH:MM:SS" or "HH:MM:SS*FACTOR": the clock then starts at that time when the fleet starts
// and runs FACTOR times as fast as real time, so a window can close within seconds. Any
// other value refuses the run; against real systems it stays unset.
class FleetClock {
public:
    static constexpr const char* kTestVariable = "QUILLMARCH_TEST_CLOCK";

    // From the environment; false with `error` for a malformed QUILLMARCH_TEST_CLOCK.
    static bool FromEnvironment(FleetClock& out, std::string& error);
    // From a QUILLMARCH_TEST_CLOCK text (empty: the real local time).
    static bool FromText(const std::string& text, FleetClock& out, std::string& error);

    // Seconds after local midnight, 0 to 86399.
    int SecondOfDay() const;
    bool Simulated() const { return m_simulated; }

private:
    bool m_simulated = false;
    int m_startSecond = 0;
    double m_factor = 1.0;
    std::chrono::steady_clock::time_point m_origin = std::chrono::steady_clock::now();
};

}  // namespace quillmarch::fleet
