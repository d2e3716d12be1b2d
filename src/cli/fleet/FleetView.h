// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "cli/fleet/FleetOutcome.h"

namespace quillmarch::fleet {

// What the operator sees while a fleet runs. On a terminal: a header with the counts and one
// line per running system, redrawn in place at most five times a second. Otherwise one plain
// line per event. Runs in threads report here side by side: every call is thread-safe.
class FleetView {
public:
    // labels: one per system, as the operator knows it ("name (address)"), already escaped.
    FleetView(std::FILE* out, bool live, std::vector<std::string> labels);

    void Started(std::size_t system);
    void Task(std::size_t system, const std::string& task);
    void Percent(std::size_t system, int percent);
    // A note of a run for the operator (a lock held elsewhere, a log that cannot be written).
    // A note every run gives alike (the time scale's warning) is shown once.
    void Note(std::size_t system, const std::string& text);
    void Finished(std::size_t system, const SystemOutcome& outcome);
    // A line about the fleet as a whole.
    void Say(const std::string& text);
    // Redraws the live lines when due (elapsed times move on without events).
    void Tick();
    // Takes the live lines off the screen, before the summary.
    void Close();

private:
    struct Line {
        bool running = false;
        bool finished = false;
        bool failed = false;
        std::string task;
        int percent = -1;
        std::chrono::steady_clock::time_point start;
    };

    void Event(const std::string& text);
    void Redraw(bool force);
    void Erase();
    std::string Header() const;
    std::string LiveLine(std::size_t system) const;
    static std::string Elapsed(std::chrono::steady_clock::duration span);

    std::mutex m_mutex;
    std::FILE* m_out;
    bool m_live;
    std::vector<std::string> m_labels;
    std::vector<Line> m_lines;
    std::set<std::string> m_notes;
    int m_drawn = 0;  // live lines on screen now
    std::chrono::steady_clock::time_point m_lastDraw;
};

}  // namespace quillmarch::fleet
