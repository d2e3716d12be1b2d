#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "core/progress/IProgressWindow.h"
#include "core/util/IClock.h"

namespace quillmarch {

// The progress display of a command-line run that has no window: on a terminal one line that
// is rewritten as the current task advances; on a file or a pipe one line when a task starts
// and one when it is done, so that a captured log stays readable.
class TerminalProgressWindow : public IProgressWindow {
public:
    enum class Rendering { Auto, Live, Plain };

    // Auto picks Live when the stream is a terminal. Times come from the clock.
    TerminalProgressWindow(std::FILE* stream, IClock& clock, Rendering rendering = Rendering::Auto);

    // 1 while running; 2 once closed (UM_PROGRESS_CLOSE closes it and answers 2).
    int Send(const SProgressMessage& message) override;
    void Post(const SProgressMessage& message) override;

    bool IsLive() const { return m_live; }

    // 999 -> "999 B", 1000 -> "1 KB", 1234567 -> "1,234 KB" (the unit only when asked for).
    static std::string FormatByteCount(std::int64_t count, bool withUnit);
    // "mm:ss"; minutes grow past 99 rather than wrap.
    static std::string FormatElapsed(std::chrono::milliseconds elapsed);

private:
    int Handle(const SProgressMessage& message);
    void OnCaption(const SProgressMessage& message);
    void OnRunStart(std::int64_t taskCount);
    void OnRunEnd();
    void OnTaskStart(const SProgressMessage& message);
    void OnTaskPercent(const SProgressMessage& message);
    void OnBytes(std::int64_t bytes);
    void OnTaskDone();
    void OnClose();

    std::string Counter(std::int64_t task) const;
    std::string LiveLine() const;
    std::string DoneLine() const;
    std::string Elapsed(std::chrono::milliseconds since) const;
    void DrawLive(const std::string& line, bool finished);
    void EndLiveLine();
    void PrintLine(const std::string& line);
    void Write(const std::string& text);

    std::mutex m_mutex;  // Send and Post may come from different threads
    std::FILE* m_stream;
    IClock& m_clock;
    bool m_live;
    int m_state = PROGRESS_STATE_RUNNING;
    std::int64_t m_taskCount = 0;  // announced; raised when more tasks finish
    std::int64_t m_tasksDone = 0;
    bool m_taskActive = false;
    std::string m_task;
    std::int64_t m_taskTotal = 0;
    std::int64_t m_bytesDone = 0;
    std::int64_t m_percent = 0;
    std::chrono::milliseconds m_taskStart{0};
    std::chrono::milliseconds m_runStart{0};
    std::string m_liveLine;  // the live line as drawn; empty when none is on screen
};

}  // namespace quillmarch
