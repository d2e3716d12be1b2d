// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetView.h"

#include <cinttypes>

#include "core/platform/Platform.h"
#include "core/util/TextUtil.h"

namespace quillmarch::fleet {

namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(200);

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.0f s", seconds);
    return text;
}

}  // namespace

FleetView::FleetView(std::FILE* out, bool live, std::vector<std::string> labels)
    : m_out(out), m_live(live), m_labels(std::move(labels)), m_lines(m_labels.size()) {}

void FleetView::Started(std::size_t system) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines[system].running = true;
    m_lines[system].start = std::chrono::steady_clock::now();
    Event(m_labels[system] + ": started");
}

void FleetView::Task(std::size_t system, const std::string& task) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string shown = text::ForLog(task, 80);
    if (shown == m_lines[system].task) return;
    m_lines[system].task = shown;
    m_lines[system].percent = -1;
    if (m_live) {
        Redraw(false);
    } else {
        Event(m_labels[system] + ": " + shown);
    }
}

void FleetView::Percent(std::size_t system, int percent) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines[system].percent = percent;
    if (m_live) Redraw(false);
}

void FleetView::Note(std::size_t system, const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_notes.insert(text).second) return;
    Event(m_labels[system] + ": " + text::ForLog(text, 300));
}

void FleetView::Finished(std::size_t system, const SystemOutcome& outcome) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Line& line = m_lines[system];
    line.running = false;
    line.finished = true;
    const SystemResult result = outcome.result;
    // As the exit code counts: anything but these leaves the fleet not done.
    line.failed = result != SystemResult::kSucceeded && result != SystemResult::kUpToDate &&
                  result != SystemResult::kReady;
    std::string text = m_labels[system] + ": " + ResultWords(result);
    if (result == SystemResult::kSucceeded && !outcome.earlier)
        text += " in " + Seconds(outcome.seconds);
    if (!outcome.reason.empty()) text += ": " + text::ForLog(outcome.reason, 300);
    Event(text);
}

void FleetView::Say(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Event(text);
}

void FleetView::Tick() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_live) Redraw(false);
}

void FleetView::Close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_live) Erase();
    std::fflush(m_out);
}

// An event line goes above the live lines, which are drawn again below it.
void FleetView::Event(const std::string& text) {
    if (m_live) Erase();
    std::fprintf(m_out, "%s\n", text.c_str());
    if (m_live) {
        Redraw(true);
    } else {
        std::fflush(m_out);
    }
}

void FleetView::Erase() {
    if (m_drawn > 0) std::fprintf(m_out, "\x1b[%dA\r\x1b[J", m_drawn);
    m_drawn = 0;
}

void FleetView::Redraw(bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - m_lastDraw < kRedrawEvery) return;
    m_lastDraw = now;
    Erase();
    std::fprintf(m_out, "%s\n", Header().c_str());
    m_drawn = 1;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (!m_lines[i].running) continue;
        std::fprintf(m_out, "%s\n", LiveLine(i).c_str());
        ++m_drawn;
    }
    std::fflush(m_out);
}

std::string FleetView::Header() const {
    int done = 0, failed = 0, waiting = 0, running = 0;
    for (const Line& line : m_lines) {
        if (line.running) {
            ++running;
        } else if (!line.finished) {
            ++waiting;
        } else if (line.failed) {
            ++failed;
        } else {
            ++done;
        }
    }
    char text[128];
    std::snprintf(text, sizeof(text), "done %d  failed %d  waiting %d  running %d", done, failed,
                  waiting, running);
    return text;
}

std::string FleetView::LiveLine(std::size_t system) const {
    const Line& line = m_lines[system];
    std::string text = "  " + m_labels[system] + "  " + (line.task.empty() ? "..." : line.task);
    if (line.percent >= 0) text += "  " + std::to_string(line.percent) + " %";
    text += "  " + Elapsed(std::chrono::steady_clock::now() - line.start);
    // One screen line each, or the cursor movement miscounts.
    return text.size() > 150 ? text.substr(0, 150) : text;
}

std::string FleetView::Elapsed(std::chrono::steady_clock::duration span) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span).count();
    char text[32];
    std::snprintf(text, sizeof(text), "%" PRId64 ":%02" PRId64,
                  static_cast<std::int64_t>(seconds / 60), static_cast<std::int64_t>(seconds % 60));
    return text;
}

}  // namespace quillmarch::fleet
