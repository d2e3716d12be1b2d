#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "core/progress/IProgressWindow.h"

namespace quillmarch::test {

// A progress window that records every message and answers like the real one: 1 while it
// runs, 2 once it was told to close. The operator's Cancel is scripted by the number of the
// send from which on the window answers 2.
class ScriptedProgressWindow : public IProgressWindow {
public:
    int Send(const SProgressMessage& message) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        sent.push_back(message);
        if (cancelFromSend > 0 && static_cast<int>(sent.size()) >= cancelFromSend) closed = true;
        const int answer = closed ? PROGRESS_STATE_CLOSED : PROGRESS_STATE_RUNNING;
        if (message.id == UM_PROGRESS_CLOSE) {
            closed = true;
            return PROGRESS_STATE_CLOSED;
        }
        return answer;
    }
    void Post(const SProgressMessage& message) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        posted.push_back(message);
    }

    // The sent messages with one id, in order.
    std::vector<SProgressMessage> Sent(unsigned id) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<SProgressMessage> result;
        for (const auto& message : sent) {
            if (message.id == id) result.push_back(message);
        }
        return result;
    }
    // wParam of every UM_PROGRESS_TASK_PERCENT sent, in order.
    std::vector<std::int64_t> Percentages() const {
        std::vector<std::int64_t> result;
        for (const auto& message : Sent(UM_PROGRESS_TASK_PERCENT)) result.push_back(message.wParam);
        return result;
    }
    std::vector<unsigned> SentIds() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<unsigned> result;
        for (const auto& message : sent) result.push_back(message.id);
        return result;
    }

    // 1-based number of the send from which on the window answers 2; 0 = never.
    int cancelFromSend = 0;
    bool closed = false;
    std::vector<SProgressMessage> sent;
    std::vector<SProgressMessage> posted;

private:
    mutable std::mutex m_mutex;
};

}  // namespace quillmarch::test
