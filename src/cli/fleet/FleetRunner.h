// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli/fleet/FleetOutcome.h"
#include "cli/fleet/FleetPlan.h"
#include "cli/fleet/IFleetSystemRun.h"

namespace quillmarch {
class RunInterrupt;
}  // namespace quillmarch

namespace quillmarch::fleet {

class FleetClock;
class FleetView;

// Runs a fleet's systems, up to `jobs` at once, each in its own thread with its own run (made by
// `makeRun`).
// The canaries go first and alone; after `maxFailures` failures no new system starts. The
// operator's first stop (`stop`) starts no new system; the second (`abort`) asks every running
// one to stop at its next safe point; the first is said once seen. One system's failure never
// disturbs another's run.
// Systems a resumed run found done keep the earlier result and are not contacted. With a
// --window, systems start only inside it (a fleet started before it waits for it to open);
// once it closes no new system starts. --retry-failed N tries the failed systems again at the
// end, up to N more times.
class FleetRunner {
public:
    FleetRunner(const FleetPlan& plan, FleetView& view, const RunInterrupt& stop,
                const RunInterrupt& abort, FleetSystemRunMaker makeRun, const FleetClock& clock);
    ~FleetRunner();
    FleetRunner(const FleetRunner&) = delete;
    FleetRunner& operator=(const FleetRunner&) = delete;

    // One outcome per system of the plan, in its order.
    std::vector<SystemOutcome> Run();

private:
    struct Slot {
        std::unique_ptr<IFleetSystemRun> run;  // while it runs
        std::thread thread;
        bool started = false;
        bool finished = false;
        std::string tries;  // why the tries before failed, for the next try's log
    };

    bool MayStart() const;
    void StartNext();
    void Work(std::size_t system);
    void PassOnAbort();
    void SayStop();
    bool CanariesDone() const;
    void JudgeCanaries();
    void WatchWindow();
    bool WindowOpen() const;
    bool WaitingForWindow() const;
    bool NextRound();
    void MarkEarlier();
    void MarkUnstarted();

    const FleetPlan& m_plan;
    FleetView& m_view;
    const RunInterrupt& m_stop;
    const RunInterrupt& m_abort;
    FleetSystemRunMaker m_makeRun;
    const FleetClock& m_clock;
    std::vector<SystemOutcome> m_outcomes;
    std::vector<Slot> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::size_t> m_order;  // the systems of this round, in their turn
    std::size_t m_next = 0;            // into m_order
    int m_round = 0;                   // 0: the first tries; then each --retry-failed round
    int m_running = 0;
    int m_failures = 0;
    bool m_canaryPhase = false;
    bool m_abortPassedOn = false;
    bool m_stopSaid = false;
    bool m_windowOpened = false;
    bool m_windowClosed = false;
    bool m_waitSaid = false;
    std::string m_heldBack;  // why no new system starts, once it is so
};

}  // namespace quillmarch::fleet
