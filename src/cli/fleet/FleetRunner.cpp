// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetRunner.h"

#include <algorithm>
#include <chrono>

#include "cli/fleet/FleetClock.h"
#include "cli/fleet/FleetReport.h"
#include "cli/fleet/FleetView.h"
#include "core/run/RunInterrupt.h"

namespace quillmarch::fleet {

namespace {

constexpr auto kLookEvery = std::chrono::milliseconds(100);

bool Counted(const SystemOutcome& outcome) {
    // A system tried again counts once towards --max-failures.
    return outcome.result == SystemResult::kFailed && outcome.tries == 1;
}

std::string Label(const FleetSystem& system) {
    return system.name.empty() ? system.address : system.name;
}

}  // namespace

FleetRunner::FleetRunner(const FleetPlan& plan, FleetView& view, const RunInterrupt& stop,
                         const RunInterrupt& abort, FleetSystemRunMaker makeRun,
                         const FleetClock& clock)
    : m_plan(plan),
      m_view(view),
      m_stop(stop),
      m_abort(abort),
      m_makeRun(std::move(makeRun)),
      m_clock(clock),
      m_outcomes(plan.systems.size()),
      m_slots(plan.systems.size()),
      m_canaryPhase(!plan.options.check && plan.options.canary > 0) {
    for (std::size_t i = 0; i < plan.systems.size(); ++i) {
        if (plan.systems[i].earlierResult.empty()) m_order.push_back(i);
    }
}

FleetRunner::~FleetRunner() {
    for (Slot& slot : m_slots) {
        if (slot.thread.joinable()) slot.thread.join();
    }
}

std::vector<SystemOutcome> FleetRunner::Run() {
    MarkEarlier();
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        PassOnAbort();
        SayStop();
        if (m_canaryPhase && CanariesDone()) JudgeCanaries();
        WatchWindow();
        while (MayStart()) StartNext();
        if (m_running == 0 && !WaitingForWindow() && !NextRound()) break;
        m_changed.wait_for(lock, kLookEvery);
        lock.unlock();
        m_view.Tick();
        lock.lock();
    }
    lock.unlock();
    for (Slot& slot : m_slots) {
        if (slot.thread.joinable()) slot.thread.join();
    }
    MarkUnstarted();
    return m_outcomes;
}

bool FleetRunner::MayStart() const {
    if (m_next >= m_order.size() || !m_heldBack.empty() || m_stop.Requested()) return false;
    if (!WindowOpen()) return false;
    if (m_running >= std::max(1, m_plan.options.jobs)) return false;
    return !m_canaryPhase || m_next < static_cast<std::size_t>(m_plan.options.canary);
}

void FleetRunner::StartNext() {
    const std::size_t system = m_order[m_next++];
    Slot& slot = m_slots[system];
    slot.run = m_makeRun(system, slot.tries);
    slot.started = true;
    slot.finished = false;
    ++m_running;
    slot.thread = std::thread([this, system] { Work(system); });
}

void FleetRunner::Work(std::size_t system) {
    SystemOutcome outcome = m_slots[system].run->Run();
    std::unique_ptr<IFleetSystemRun> done;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        outcome.tries = m_outcomes[system].tries + 1;
    }
    m_view.Finished(system, outcome);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Slot& slot = m_slots[system];
        done = std::move(slot.run);  // its context, log and buffers go now, outside the lock
        slot.finished = true;
        if (Counted(outcome)) ++m_failures;
        const int limit = m_plan.options.maxFailures;
        if (!m_plan.options.check && limit >= 0 && m_failures >= limit && m_heldBack.empty()) {
            m_heldBack = "held back: " + std::to_string(m_failures) + " failed (--max-failures " +
                         std::to_string(limit) + ")";
            m_view.Say("No new system starts: " + std::to_string(m_failures) +
                       " failed, the limit is " + std::to_string(limit));
        }
        m_outcomes[system] = std::move(outcome);
        --m_running;
    }
    m_changed.notify_all();
}

// The second stop reaches every run that goes on; the engine honours it at its next safe point.
void FleetRunner::PassOnAbort() {
    if (m_abortPassedOn || !m_abort.Requested()) return;
    m_abortPassedOn = true;
    for (Slot& slot : m_slots) {
        if (slot.run && !slot.finished) slot.run->Stop(m_abort.Signal());
    }
}

// The operator learns that the stop was taken, not only when the fleet ends.
void FleetRunner::SayStop() {
    if (m_stopSaid || !m_stop.Requested()) return;
    m_stopSaid = true;
    m_view.Say(
        "Stopping: no new system starts; running updates finish (stop again to end them at "
        "their next safe point)");
}

bool FleetRunner::CanariesDone() const {
    const auto canaries =
        std::min<std::size_t>(static_cast<std::size_t>(m_plan.options.canary), m_order.size());
    if (m_next < canaries && !m_stop.Requested() && !m_windowClosed) return false;
    for (std::size_t i = 0; i < canaries; ++i) {
        const Slot& slot = m_slots[m_order[i]];
        if (slot.started && !slot.finished) return false;
    }
    return true;
}

void FleetRunner::JudgeCanaries() {
    m_canaryPhase = false;
    const auto canaries =
        std::min<std::size_t>(static_cast<std::size_t>(m_plan.options.canary), m_order.size());
    for (std::size_t i = 0; i < canaries; ++i) {
        const SystemResult result = m_outcomes[m_order[i]].result;
        if (result == SystemResult::kSucceeded || result == SystemResult::kUpToDate) continue;
        if (m_heldBack.empty()) {
            m_heldBack = "held back: a canary did not succeed";
            m_view.Say("A canary did not succeed (" + std::to_string(m_order[i] + 1) +
                       "): no other system starts");
        }
        return;
    }
    if (canaries < m_order.size() && m_heldBack.empty())
        m_view.Say("The canaries succeeded: the other systems start");
}

// The window is judged on the fleet's clock at every look; once it has closed it stays so for
// this run, so a fleet never starts again the next night on its own.
void FleetRunner::WatchWindow() {
    const MaintenanceWindow& window = m_plan.options.window;
    if (!window.Set() || m_windowClosed) return;
    const int now = m_clock.SecondOfDay();
    const bool open = window.Contains(now);
    if (open && !m_windowOpened) {
        m_windowOpened = true;
        if (m_waitSaid) m_view.Say("The window " + window.Text() + " is open: updates start");
    } else if (!open && m_windowOpened) {
        m_windowClosed = true;
        if (m_next < m_order.size() && !m_stop.Requested())
            m_view.Say("The window " + window.Text() +
                       " has closed: no new system starts; running updates finish");
    } else if (!open && !m_waitSaid) {
        m_waitSaid = true;
        m_view.Say("Waiting for the window " + window.Text() + " to open (in " +
                   std::to_string((window.SecondsUntilOpen(now) + 59) / 60) + " min)");
    }
}

bool FleetRunner::WindowOpen() const {
    return !m_plan.options.window.Set() || (m_windowOpened && !m_windowClosed);
}

bool FleetRunner::WaitingForWindow() const {
    return m_plan.options.window.Set() && !m_windowOpened && m_next < m_order.size() &&
           m_heldBack.empty() && !m_stop.Requested();
}

// After a round, the systems that failed go again while --retry-failed allows, in their order.
bool FleetRunner::NextRound() {
    if (m_round >= m_plan.options.retryFailed || m_plan.options.check || !m_heldBack.empty() ||
        m_stop.Requested() || m_windowClosed)
        return false;
    std::vector<std::size_t> failed;
    for (std::size_t system : m_order) {
        if (m_outcomes[system].result == SystemResult::kFailed) failed.push_back(system);
    }
    if (failed.empty()) return false;
    ++m_round;
    const int total = m_plan.options.retryFailed + 1;
    for (std::size_t system : failed) {
        Slot& slot = m_slots[system];
        if (slot.thread.joinable()) slot.thread.join();  // its run has ended: only the exit is left
        const SystemOutcome& before = m_outcomes[system];
        slot.tries += (slot.tries.empty() ? "" : "; ") + std::string("try ") +
                      std::to_string(before.tries) + ": " +
                      (before.reason.empty() ? "failed" : before.reason);
        slot.started = false;
        m_view.Say("Trying " + Label(m_plan.systems[system]) + " again (try " +
                   std::to_string(before.tries + 1) + " of " + std::to_string(total) +
                   ", --retry-failed): " + (before.reason.empty() ? "failed" : before.reason));
    }
    m_order = std::move(failed);
    m_next = 0;
    return true;
}

void FleetRunner::MarkEarlier() {
    for (std::size_t i = 0; i < m_plan.systems.size(); ++i) {
        const std::string& earlier = m_plan.systems[i].earlierResult;
        if (earlier.empty()) continue;
        SystemOutcome& outcome = m_outcomes[i];
        outcome.result = earlier == FleetReport::ResultCode(SystemResult::kUpToDate)
                             ? SystemResult::kUpToDate
                             : SystemResult::kSucceeded;
        outcome.earlier = true;
        outcome.reason = "done in the earlier run (--resume)";
        m_view.Finished(i, outcome);
    }
}

void FleetRunner::MarkUnstarted() {
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        SystemOutcome& outcome = m_outcomes[i];
        if (m_slots[i].started || outcome.earlier || outcome.tries > 0) continue;
        if (m_stop.Requested()) {
            outcome.result = SystemResult::kNotStarted;
            outcome.reason = "stopped by the operator before its turn";
        } else if (m_windowClosed || (m_plan.options.window.Set() && !m_windowOpened)) {
            outcome.result = SystemResult::kNotStarted;
            outcome.reason = "window closed (--window " + m_plan.options.window.Text() + ")";
        } else if (!m_heldBack.empty()) {
            outcome.result = SystemResult::kSkipped;
            outcome.reason = m_heldBack;
        } else {
            outcome.result = SystemResult::kNotStarted;
        }
        m_view.Finished(i, outcome);
    }
}

}  // namespace quillmarch::fleet
