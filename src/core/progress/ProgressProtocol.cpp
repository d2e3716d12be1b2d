// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/progress/ProgressProtocol.h"

#include "core/job/RunContext.h"

namespace quillmarch {

void ProgressProtocol::StartProgressWindow() {
    IProgressWindowFactory* factory = m_app.ProgressWindowFactory();
    m_app.m_progressWnd = factory ? factory->Start() : nullptr;
    m_app.Job().options.progressCaption =
        m_app.Job().target.systemName + "-" + m_app.Job().target.address;
    if (!m_app.m_progressWnd) return;
    m_app.m_progressWnd->Caption(m_app.Job().options.progressCaption);  // the answer is not used
}

bool ProgressProtocol::RunStarted(std::int64_t taskCount, std::int64_t parentWindow) {
    return Deliver(
        [&](IProgressWindow& window) { return window.RunStarted(taskCount, parentWindow); });
}

bool ProgressProtocol::TaskStarted(const std::string& name, std::int64_t totalBytes) {
    if (IRunObserver* observer = m_app.RunObserver()) observer->OnTaskStart(name);
    return Deliver([&](IProgressWindow& window) { return window.TaskStarted(name, totalBytes); });
}

bool ProgressProtocol::Percent(std::int64_t percent) {
    return Deliver([&](IProgressWindow& window) { return window.Percent(percent, std::nullopt); });
}

bool ProgressProtocol::Percent(std::int64_t percent, const std::string& taskName) {
    return Deliver([&](IProgressWindow& window) { return window.Percent(percent, taskName); });
}

bool ProgressProtocol::TaskDone() {
    if (IRunObserver* observer = m_app.RunObserver()) observer->OnTaskDone();
    return Deliver([](IProgressWindow& window) { return window.TaskDone(); });
}

bool ProgressProtocol::RunEnded() {
    return Deliver([](IProgressWindow& window) { return window.RunEnded(); });
}

bool ProgressProtocol::Close() {
    return Deliver([](IProgressWindow& window) { return window.Close(); }, true);
}

bool ProgressProtocol::Deliver(const WindowCall& call, bool closes) {
    if (!m_app.m_updateRunning) return false;
    std::shared_ptr<IProgressWindow> window = m_app.m_progressWnd;
    if (!window) return m_app.m_updateRunning;

    const ProgressState state = call(*window);
    if (state == ProgressState::Running) {
        if (closes) m_app.m_progressWnd.reset();
        return m_app.m_updateRunning;
    }
    if (state == ProgressState::Lost) {
        // Nobody stopped the run: it goes on as a quiet one would.
        m_app.m_progressWnd.reset();
        m_app.WriteLog("The display went away: the run goes on without a window", 0);
        return m_app.m_updateRunning;
    }
    // Closed or gone: the operator cancelled. Tell it once more to close and stop reporting.
    window->Close();
    m_app.m_progressWnd.reset();
    m_app.WriteFailure(FailureCode::kCancelled,
                       m_app.LoadUiString(238, "Got IDCANCEL from Progress Dlg"));
    m_app.m_updateRunning = false;
    return false;
}

}  // namespace quillmarch
