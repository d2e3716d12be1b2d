// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace quillmarch {

class RunContext;

// Asks the system whether it is in a call before the run changes it, and answers by the run's
// --in-call policy: skip leaves a system in a call alone, wait looks again every so often until
// the call ends or --in-call-timeout passes, break goes on (the call ends). A system whose web
// server does not answer cannot say; the run then goes on, as the wizard does.
class CallGuard {
public:
    // Time between two looks while waiting (scaled like every fixed wait).
    static constexpr std::chrono::milliseconds kLookEvery{30000};
    // The log record that tells of a system left alone for its call (report code "in_call").
    static constexpr const char* kNotUpdatedRecord = "Not updated: the system is in a call";

    explicit CallGuard(RunContext& app) : m_app(app) {}

    // True when the run may go on to change the system; `moment` names what comes next in the
    // log ("the update", "the switch to update mode").
    [[nodiscard]] bool MayGoOn(const std::string& moment);

private:
    [[nodiscard]] std::optional<bool> Look();
    [[nodiscard]] bool WaitForEnd(const std::string& moment);
    [[nodiscard]] bool Reconnect();
    void Refuse(const std::string& text);
    void Tell(const std::string& state, double waitedSeconds);

    RunContext& m_app;
};

}  // namespace quillmarch
