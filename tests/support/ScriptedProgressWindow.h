// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/progress/IProgressWindow.h"

namespace quillmarch::test {

// One call the engine made on the progress window.
struct ProgressEvent {
    enum class Call {
        Caption,
        RunStarted,
        TaskStarted,
        Percent,
        TaskDone,
        RunEnded,
        Close,
        Ping,
        Bytes,
        PostClose
    };
    Call call = Call::Ping;
    std::int64_t value = 0;           // task count, percentage or bytes so far
    std::int64_t totalBytes = 0;      // of a task start; the parent window of a run start
    std::optional<std::string> text;  // caption, task name or replacement task name
};
using ProgressCall = ProgressEvent::Call;

// A progress window that records every call and answers like the real one: Running while it
// runs, Closed once it was told to close. The operator's Cancel is scripted by the number of
// the blocking call from which on the window answers Closed.
class ScriptedProgressWindow : public IProgressWindow {
public:
    using Call = ProgressEvent::Call;

    ProgressState Caption(const std::string& caption) override {
        return Answer({Call::Caption, 0, 0, caption});
    }
    ProgressState RunStarted(std::int64_t taskCount, std::int64_t parentWindow) override {
        return Answer({Call::RunStarted, taskCount, parentWindow, std::nullopt});
    }
    ProgressState TaskStarted(const std::optional<std::string>& name,
                              std::int64_t totalBytes) override {
        return Answer({Call::TaskStarted, 0, totalBytes, name});
    }
    ProgressState Percent(std::int64_t percent,
                          const std::optional<std::string>& taskName) override {
        return Answer({Call::Percent, percent, 0, taskName});
    }
    ProgressState TaskDone() override { return Answer({Call::TaskDone, 0, 0, std::nullopt}); }
    ProgressState RunEnded() override { return Answer({Call::RunEnded, 0, 0, std::nullopt}); }
    ProgressState Close() override { return Answer({Call::Close, 0, 0, std::nullopt}); }
    ProgressState Ping() override { return Answer({Call::Ping, 0, 0, std::nullopt}); }
    void Bytes(std::int64_t bytesSoFar) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        posted.push_back({Call::Bytes, bytesSoFar, 0, std::nullopt});
    }
    void PostClose() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        posted.push_back({Call::PostClose, 0, 0, std::nullopt});
    }

    // The blocking calls of one kind, in order.
    std::vector<ProgressEvent> Sent(Call call) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<ProgressEvent> result;
        for (const auto& event : sent) {
            if (event.call == call) result.push_back(event);
        }
        return result;
    }
    // The percentage of every Percent call, in order.
    std::vector<std::int64_t> Percentages() const {
        std::vector<std::int64_t> result;
        for (const auto& event : Sent(Call::Percent)) result.push_back(event.value);
        return result;
    }
    std::vector<Call> SentCalls() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<Call> result;
        for (const auto& event : sent) result.push_back(event.call);
        return result;
    }

    // 1-based number of the blocking call from which on the window answers Closed; 0 = never.
    int cancelFromSend = 0;
    bool closed = false;
    // The display went away: every blocking call answers Lost.
    bool lost = false;
    std::vector<ProgressEvent> sent;
    std::vector<ProgressEvent> posted;

private:
    ProgressState Answer(const ProgressEvent& event) {
        std::lock_guard<std::mutex> lock(m_mutex);
        sent.push_back(event);
        if (cancelFromSend > 0 && static_cast<int>(sent.size()) >= cancelFromSend) closed = true;
        if (event.call == Call::Close) closed = true;
        if (lost) return ProgressState::Lost;
        return closed ? ProgressState::Closed : ProgressState::Running;
    }

    mutable std::mutex m_mutex;
};

}  // namespace quillmarch::test
