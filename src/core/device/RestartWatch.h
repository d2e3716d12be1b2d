// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <string>

namespace quillmarch {

class RunContext;

// Watches a restart from outside: the system has gone away and answers again. A pause around a
// restart ends there instead of at a fixed time, within an upper limit that a slow system
// still meets. It counts its own pauses and the time its looks took, so the limit holds
// whatever the network does.
class RestartWatch {
public:
    // The longest restart into update mode (each try of the switch counts against it). Real
    // systems take from seconds to a few minutes; a quarter of an hour would be a fault.
    static constexpr std::chrono::seconds kUpdateModeLimit{600};

    RestartWatch(RunContext& app, std::chrono::milliseconds limit);

    // Looks once: true when the system was seen away before and answers now.
    [[nodiscard]] bool Back();
    // Looks once: true when the system answers now.
    [[nodiscard]] bool Answers();
    // Waits up to `step`, looking every quarter second. True as soon as the system is back.
    [[nodiscard]] bool PauseUntilBack(std::chrono::milliseconds step);
    // Runs `work` (a logon, say) and counts the time it took.
    template <typename Work>
    auto Timed(Work&& work) {
        const auto before = Start();
        auto result = work();
        Count(before);
        return result;
    }

    [[nodiscard]] bool SeenAway() const { return m_seenAway; }
    [[nodiscard]] bool Expired() const { return m_elapsed >= m_limit; }
    std::chrono::milliseconds Elapsed() const { return m_elapsed; }
    std::chrono::milliseconds Limit() const { return m_limit; }
    // The record of how long the wait for `what` took: "Waited 23.4 s for ... (limit 600 s)".
    void LogWaited(const std::string& what) const;
    static std::string WaitedRecord(const std::string& what, std::chrono::milliseconds elapsed,
                                    std::chrono::milliseconds limit);

private:
    std::chrono::milliseconds Start() const;
    void Count(std::chrono::milliseconds before);

    RunContext& m_app;
    std::chrono::milliseconds m_limit;
    std::chrono::milliseconds m_elapsed{0};
    bool m_seenAway = false;
};

}  // namespace quillmarch
