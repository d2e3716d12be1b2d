// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetRunner.h"

#include <algorithm>
#include <chrono>

#include "cli/fleet/FleetSystemRun.h"
#include "cli/fleet/FleetView.h"
#include "core/catalogue/SharedImages.h"
#include "core/run/RunInterrupt.h"

namespace quillmarch::fleet {

namespace {

constexpr auto kLookEvery = std::chrono::milliseconds(100);

bool Counted(SystemResult result) {
    return result == SystemResult::kFailed;
}

}  // namespace

FleetRunner::FleetRunner(const FleetPlan& plan, FleetView& view, const RunInterrupt& stop,
                         const RunInterrupt& abort, std::shared_ptr<SharedImages> images)
    : m_plan(plan),
      m_view(view),
      m_stop(stop),
      m_abort(abort),
      m_images(std::move(images)),
      m_outcomes(plan.systems.size()),
      m_slots(plan.systems.size()),
      m_canaryPhase(!plan.options.check && plan.options.canary > 0) {}

FleetRunner::~FleetRunner() {
    for (Slot& slot : m_slots) {
        if (slot.thread.joinable()) slot.thread.join();
    }
}

std::vector<SystemOutcome> FleetRunner::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        PassOnAbort();
        if (m_canaryPhase && CanariesDone()) JudgeCanaries();
        while (MayStart()) StartNext();
        if (m_running == 0) break;  // and none may start: the canaries are judged above
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
    if (m_next >= m_slots.size() || !m_heldBack.empty() || m_stop.Requested()) return false;
    if (m_running >= std::max(1, m_plan.options.jobs)) return false;
    return !m_canaryPhase || m_next < static_cast<std::size_t>(m_plan.options.canary);
}

void FleetRunner::StartNext() {
    const std::size_t system = m_next++;
    Slot& slot = m_slots[system];
    slot.run = std::make_unique<FleetSystemRun>(m_plan, system, m_images, m_view);
    slot.started = true;
    ++m_running;
    slot.thread = std::thread([this, system] { Work(system); });
}

void FleetRunner::Work(std::size_t system) {
    SystemOutcome outcome = m_slots[system].run->Run();
    m_view.Finished(system, outcome);
    std::unique_ptr<FleetSystemRun> done;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Slot& slot = m_slots[system];
        done = std::move(slot.run);  // its context, log and buffers go now, outside the lock
        slot.finished = true;
        if (Counted(outcome.result)) ++m_failures;
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
        if (slot.run && !slot.finished) slot.run->Interrupt().Request(m_abort.Signal());
    }
}

bool FleetRunner::CanariesDone() const {
    const auto canaries =
        std::min<std::size_t>(static_cast<std::size_t>(m_plan.options.canary), m_slots.size());
    if (m_next < canaries && !m_stop.Requested()) return false;
    for (std::size_t i = 0; i < canaries; ++i) {
        if (m_slots[i].started && !m_slots[i].finished) return false;
    }
    return true;
}

void FleetRunner::JudgeCanaries() {
    m_canaryPhase = false;
    const auto canaries =
        std::min<std::size_t>(static_cast<std::size_t>(m_plan.options.canary), m_slots.size());
    for (std::size_t i = 0; i < canaries; ++i) {
        const SystemResult result = m_outcomes[i].result;
        if (result == SystemResult::kSucceeded || result == SystemResult::kUpToDate) continue;
        if (m_heldBack.empty()) {
            m_heldBack = "held back: a canary did not succeed";
            m_view.Say("A canary did not succeed (" + std::to_string(i + 1) +
                       "): no other system starts");
        }
        return;
    }
    if (canaries < m_slots.size() && m_heldBack.empty())
        m_view.Say("The canaries succeeded: the other systems start");
}

void FleetRunner::MarkUnstarted() {
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        if (m_slots[i].started) continue;
        SystemOutcome& outcome = m_outcomes[i];
        if (m_heldBack.empty() || m_stop.Requested()) {
            outcome.result = SystemResult::kNotStarted;
            if (m_stop.Requested()) outcome.reason = "stopped by the operator before its turn";
        } else {
            outcome.result = SystemResult::kSkipped;
            outcome.reason = m_heldBack;
        }
        m_view.Finished(i, outcome);
    }
}

}  // namespace quillmarch::fleet
