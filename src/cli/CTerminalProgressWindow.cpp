#include "cli/CTerminalProgressWindow.h"

#include <algorithm>

#include "core/progress/ProgressFormat.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace quillmarch {

namespace {

bool IsTerminal(std::FILE* stream) {
    if (!stream) return false;
#ifdef _WIN32
    // _isatty holds for every character device, NUL and serial ports too; only a console
    // answers GetConsoleMode.
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

// Digits of a non-negative number with "," between groups of three from the right.
}  // namespace

CTerminalProgressWindow::CTerminalProgressWindow(std::FILE* stream, IClock& clock,
                                                 ERendering rendering)
    : m_pStream(stream),
      m_clock(clock),
      m_bLive(rendering == ERendering::Live ||
              (rendering == ERendering::Auto && IsTerminal(stream))),
      m_nTaskStart(clock.Now()),
      m_nRunStart(clock.Now()) {}

int CTerminalProgressWindow::Send(const SProgressMessage& message) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return Handle(message);
}

void CTerminalProgressWindow::Post(const SProgressMessage& message) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Handle(message);
}

int CTerminalProgressWindow::Handle(const SProgressMessage& message) {
    if (m_nState != PROGRESS_STATE_RUNNING) return m_nState;
    switch (message.id) {
        case UM_PROGRESS_CAPTION:
            OnCaption(message);
            break;
        case UM_PROGRESS_RUN:
            if (message.wParam > 0) {
                OnRunStart(message.wParam);
            } else {
                OnRunEnd();
            }
            break;
        case UM_PROGRESS_TASK_START:
            OnTaskStart(message);
            break;
        case UM_PROGRESS_TASK_PERCENT:
            OnTaskPercent(message);
            break;
        case UM_PROGRESS_BYTES:
            OnBytes(message.wParam);
            break;
        case UM_PROGRESS_TASK_DONE:
            OnTaskDone();
            break;
        case UM_PROGRESS_CLOSE:
            OnClose();
            break;
        default:
            break;  // the ping, and anything unknown, only asks for the state
    }
    return m_nState;
}

void CTerminalProgressWindow::OnCaption(const SProgressMessage& message) {
    if (message.hasText && !message.text.empty()) PrintLine("Update Progress : " + message.text);
}

void CTerminalProgressWindow::OnRunStart(std::int64_t taskCount) {
    m_nTaskCount = taskCount;
    m_nTasksDone = 0;
    m_nRunStart = m_clock.Now();
    PrintLine("Tasks 0/" + std::to_string(m_nTaskCount));
}

void CTerminalProgressWindow::OnRunEnd() {
    PrintLine("Done: Tasks " + std::to_string(m_nTasksDone) + "/" + std::to_string(m_nTaskCount) +
              ", " + Elapsed(m_nRunStart));
}

void CTerminalProgressWindow::OnTaskStart(const SProgressMessage& message) {
    EndLiveLine();  // an unfinished task stays on screen
    m_strTask = message.hasText && !message.text.empty() ? message.text : "Unknown Task";
    m_bTaskActive = true;
    m_nTaskTotal = message.lParam;
    m_nBytesDone = 0;
    m_nPercent = 0;
    m_nTaskStart = m_clock.Now();
    if (m_bLive) {
        DrawLive(LiveLine(), false);
    } else {
        PrintLine(Counter(m_nTasksDone + 1) + " " + m_strTask);
    }
}

void CTerminalProgressWindow::OnTaskPercent(const SProgressMessage& message) {
    m_nPercent = message.wParam < 0 ? 90 : message.wParam;
    if (message.hasText && !message.text.empty()) m_strTask = message.text;
    if (m_bLive && m_bTaskActive) DrawLive(LiveLine(), false);
}

// Bytes so far of the current transfer. Once the count reaches the task's total the total is
// raised to the count and the task shows 100 %; a total of 0 (a timed wait) shows 100 at once.
void CTerminalProgressWindow::OnBytes(std::int64_t bytes) {
    if (!m_bTaskActive) return;
    bytes = std::max<std::int64_t>(bytes, 0);
    m_nPercent = progress::BytePercent(bytes, m_nBytesDone, m_nTaskTotal);
    if (m_bLive) DrawLive(LiveLine(), false);
}

void CTerminalProgressWindow::OnTaskDone() {
    ++m_nTasksDone;
    m_nTaskCount = std::max(m_nTaskCount, m_nTasksDone);
    if (m_bLive) {
        DrawLive(DoneLine(), true);
    } else {
        PrintLine(DoneLine());
    }
    m_bTaskActive = false;
    m_strTask.clear();
    m_nTaskTotal = 0;
    m_nBytesDone = 0;
    m_nPercent = 0;
    m_nTaskStart = m_clock.Now();
}

void CTerminalProgressWindow::OnClose() {
    EndLiveLine();
    m_nState = PROGRESS_STATE_CLOSED;
}

std::string CTerminalProgressWindow::Counter(std::int64_t task) const {
    return "[" + std::to_string(task) + "/" + std::to_string(std::max(m_nTaskCount, task)) + "]";
}

// "[2/4] Main Image 45% 2250/5000 00:07"; the byte pair only for tasks that count bytes.
std::string CTerminalProgressWindow::LiveLine() const {
    std::string line =
        Counter(m_nTasksDone + 1) + " " + m_strTask + " " + std::to_string(m_nPercent) + "%";
    if (m_nTaskTotal > 1)
        line += " " + std::to_string(m_nBytesDone) + "/" + std::to_string(m_nTaskTotal);
    return line + " " + Elapsed(m_nTaskStart);
}

// "[2/4] Main Image done (2 KB, 00:07)"; tasks that counted no bytes show the time alone.
std::string CTerminalProgressWindow::DoneLine() const {
    // As the progress window lists a finished task that had no name.
    const std::string name = m_strTask.empty() ? "Unknow task" : m_strTask;
    std::string detail = Elapsed(m_nTaskStart);
    if (m_nBytesDone != 0) detail = FormatByteCount(m_nBytesDone, true) + ", " + detail;
    return Counter(m_nTasksDone) + " " + name + " done (" + detail + ")";
}

std::string CTerminalProgressWindow::Elapsed(std::chrono::milliseconds since) const {
    return FormatElapsed(m_clock.Now() - since);
}

// Rewrites the live line in place; blanks cover what a longer previous line left behind.
void CTerminalProgressWindow::DrawLive(const std::string& line, bool finished) {
    if (!finished && line == m_strLiveLine) return;  // byte posts come far more often
    const std::size_t cover =
        m_strLiveLine.size() > line.size() ? m_strLiveLine.size() - line.size() : 0;
    Write("\r" + line + std::string(cover, ' ') + (finished ? "\n" : ""));
    m_strLiveLine = finished ? std::string() : line;
}

void CTerminalProgressWindow::EndLiveLine() {
    if (m_strLiveLine.empty()) return;
    Write("\n");
    m_strLiveLine.clear();
}

void CTerminalProgressWindow::PrintLine(const std::string& line) {
    EndLiveLine();
    Write(line + "\n");
}

void CTerminalProgressWindow::Write(const std::string& text) {
    if (!m_pStream) return;
    std::fwrite(text.data(), 1, text.size(), m_pStream);
    std::fflush(m_pStream);
}

std::string CTerminalProgressWindow::FormatByteCount(std::int64_t count, bool withUnit) {
    return progress::FormatByteCount(count, withUnit);
}

std::string CTerminalProgressWindow::FormatElapsed(std::chrono::milliseconds elapsed) {
    const long long seconds = std::max<long long>(elapsed.count() / 1000, 0);
    char text[32];
    std::snprintf(text, sizeof(text), "%02lld:%02lld", seconds / 60, seconds % 60);
    return text;
}

}  // namespace quillmarch
