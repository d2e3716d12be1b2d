// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

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

    // Each call answers Running until the display is closed, Closed from then on; a closed
    // display shows nothing more.
    ProgressState Caption(const std::string& caption) override;
    ProgressState RunStarted(std::int64_t taskCount, std::int64_t parentWindow) override;
    ProgressState TaskStarted(const std::optional<std::string>& name,
                              std::int64_t totalBytes) override;
    ProgressState Percent(std::int64_t percent,
                          const std::optional<std::string>& taskName) override;
    ProgressState TaskDone() override;
    ProgressState RunEnded() override;
    ProgressState Close() override;
    ProgressState Ping() override;
    void Bytes(std::int64_t bytesSoFar) override;
    void PostClose() override;

    bool IsLive() const { return m_live; }

    // 999 -> "999 B", 1000 -> "1 KB", 1234567 -> "1,234 KB" (the unit only when asked for).
    static std::string FormatByteCount(std::int64_t count, bool withUnit);
    // "mm:ss"; minutes grow past 99 rather than wrap.
    static std::string FormatElapsed(std::chrono::milliseconds elapsed);

private:
    // Runs show under the lock while the display is open; answers the state after it.
    template <typename Show>
    ProgressState Handle(Show show);
    void ShowTaskStart(const std::optional<std::string>& name, std::int64_t totalBytes);
    void ShowPercent(std::int64_t percent, const std::optional<std::string>& taskName);
    void ShowBytes(std::int64_t bytes);
    void ShowTaskDone();
    void ShowClose();

    std::string Counter(std::int64_t task) const;
    std::string LiveLine() const;
    std::string DoneLine() const;
    std::string Elapsed(std::chrono::milliseconds since) const;
    void DrawLive(const std::string& line, bool finished);
    void EndLiveLine();
    void PrintLine(const std::string& line);
    void Write(const std::string& text);

    std::mutex m_mutex;  // calls may come from different threads
    std::FILE* m_stream;
    IClock& m_clock;
    bool m_live;
    ProgressState m_state = ProgressState::Running;
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
