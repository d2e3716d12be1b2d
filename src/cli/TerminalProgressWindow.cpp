// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/TerminalProgressWindow.h"

#include <algorithm>

#include "core/platform/Platform.h"
#include "core/progress/ProgressFormat.h"

namespace quillmarch {

TerminalProgressWindow::TerminalProgressWindow(std::FILE* stream, IClock& clock,
                                               Rendering rendering)
    : m_stream(stream),
      m_clock(clock),
      m_live(rendering == Rendering::Live ||
             (rendering == Rendering::Auto && platform::IsTerminal(stream))),
      m_taskStart(clock.Now()),
      m_runStart(clock.Now()) {}

template <typename Show>
ProgressState TerminalProgressWindow::Handle(Show show) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state == ProgressState::Running) show();
    return m_state;
}

ProgressState TerminalProgressWindow::Caption(const std::string& caption) {
    return Handle([&] {
        if (!caption.empty()) PrintLine("Update Progress : " + caption);
    });
}

ProgressState TerminalProgressWindow::RunStarted(std::int64_t taskCount, std::int64_t) {
    return Handle([&] {
        m_taskCount = taskCount;
        m_tasksDone = 0;
        m_runStart = m_clock.Now();
        PrintLine("Tasks 0/" + std::to_string(m_taskCount));
    });
}

ProgressState TerminalProgressWindow::RunEnded() {
    return Handle([&] {
        PrintLine("Done: Tasks " + std::to_string(m_tasksDone) + "/" + std::to_string(m_taskCount) +
                  ", " + Elapsed(m_runStart));
    });
}

ProgressState TerminalProgressWindow::TaskStarted(const std::optional<std::string>& name,
                                                  std::int64_t totalBytes) {
    return Handle([&] { ShowTaskStart(name, totalBytes); });
}

ProgressState TerminalProgressWindow::Percent(std::int64_t percent,
                                              const std::optional<std::string>& taskName) {
    return Handle([&] { ShowPercent(percent, taskName); });
}

ProgressState TerminalProgressWindow::TaskDone() {
    return Handle([&] { ShowTaskDone(); });
}

ProgressState TerminalProgressWindow::Close() {
    return Handle([&] { ShowClose(); });
}

ProgressState TerminalProgressWindow::Ping() {
    return Handle([] {});
}

void TerminalProgressWindow::Bytes(std::int64_t bytesSoFar) {
    Handle([&] { ShowBytes(bytesSoFar); });
}

void TerminalProgressWindow::PostClose() {
    Handle([&] { ShowClose(); });
}

void TerminalProgressWindow::ShowTaskStart(const std::optional<std::string>& name,
                                           std::int64_t totalBytes) {
    EndLiveLine();  // an unfinished task stays on screen
    m_task = name && !name->empty() ? *name : "Unknown Task";
    m_taskActive = true;
    m_taskTotal = totalBytes;
    m_bytesDone = 0;
    m_percent = 0;
    m_taskStart = m_clock.Now();
    if (m_live) {
        DrawLive(LiveLine(), false);
    } else {
        PrintLine(Counter(m_tasksDone + 1) + " " + m_task);
    }
}

void TerminalProgressWindow::ShowPercent(std::int64_t percent,
                                         const std::optional<std::string>& taskName) {
    m_percent = percent < 0 ? 90 : percent;
    if (taskName && !taskName->empty()) m_task = *taskName;
    if (m_live && m_taskActive) DrawLive(LiveLine(), false);
}

// Bytes so far of the current transfer. Once the count reaches the task's total the total is
// raised to the count and the task shows 100 %; a total of 0 (a timed wait) shows 100 at once.
void TerminalProgressWindow::ShowBytes(std::int64_t bytes) {
    if (!m_taskActive) return;
    bytes = std::max<std::int64_t>(bytes, 0);
    m_percent = progress::BytePercent(bytes, m_bytesDone, m_taskTotal);
    if (m_live) DrawLive(LiveLine(), false);
}

void TerminalProgressWindow::ShowTaskDone() {
    ++m_tasksDone;
    m_taskCount = std::max(m_taskCount, m_tasksDone);
    if (m_live) {
        DrawLive(DoneLine(), true);
    } else {
        PrintLine(DoneLine());
    }
    m_taskActive = false;
    m_task.clear();
    m_taskTotal = 0;
    m_bytesDone = 0;
    m_percent = 0;
    m_taskStart = m_clock.Now();
}

void TerminalProgressWindow::ShowClose() {
    EndLiveLine();
    m_state = ProgressState::Closed;
}

std::string TerminalProgressWindow::Counter(std::int64_t task) const {
    return "[" + std::to_string(task) + "/" + std::to_string(std::max(m_taskCount, task)) + "]";
}

// "[2/4] Main Image 45% 2250/5000 00:07"; the byte pair only for tasks that count bytes.
std::string TerminalProgressWindow::LiveLine() const {
    std::string line =
        Counter(m_tasksDone + 1) + " " + m_task + " " + std::to_string(m_percent) + "%";
    if (m_taskTotal > 1)
        line += " " + std::to_string(m_bytesDone) + "/" + std::to_string(m_taskTotal);
    return line + " " + Elapsed(m_taskStart);
}

// "[2/4] Main Image done (2 KB, 00:07)"; tasks that counted no bytes show the time alone.
std::string TerminalProgressWindow::DoneLine() const {
    // As the progress window lists a finished task that had no name.
    const std::string name = m_task.empty() ? "Unknow task" : m_task;
    std::string detail = Elapsed(m_taskStart);
    if (m_bytesDone != 0) detail = FormatByteCount(m_bytesDone, true) + ", " + detail;
    return Counter(m_tasksDone) + " " + name + " done (" + detail + ")";
}

std::string TerminalProgressWindow::Elapsed(std::chrono::milliseconds since) const {
    return FormatElapsed(m_clock.Now() - since);
}

// Rewrites the live line in place; blanks cover what a longer previous line left behind.
void TerminalProgressWindow::DrawLive(const std::string& line, bool finished) {
    if (!finished && line == m_liveLine) return;  // byte posts come far more often
    const std::size_t cover = m_liveLine.size() > line.size() ? m_liveLine.size() - line.size() : 0;
    Write("\r" + line + std::string(cover, ' ') + (finished ? "\n" : ""));
    m_liveLine = finished ? std::string() : line;
}

void TerminalProgressWindow::EndLiveLine() {
    if (m_liveLine.empty()) return;
    Write("\n");
    m_liveLine.clear();
}

void TerminalProgressWindow::PrintLine(const std::string& line) {
    EndLiveLine();
    Write(line + "\n");
}

void TerminalProgressWindow::Write(const std::string& text) {
    if (!m_stream) return;
    std::fwrite(text.data(), 1, text.size(), m_stream);
    std::fflush(m_stream);
}

std::string TerminalProgressWindow::FormatByteCount(std::int64_t count, bool withUnit) {
    return progress::FormatByteCount(count, withUnit);
}

std::string TerminalProgressWindow::FormatElapsed(std::chrono::milliseconds elapsed) {
    const long long seconds = std::max<long long>(elapsed.count() / 1000, 0);
    char text[32];
    std::snprintf(text, sizeof(text), "%02lld:%02lld", seconds / 60, seconds % 60);
    return text;
}

}  // namespace quillmarch
