// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/progress/DisplayLoss.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace quillmarch {

namespace {

struct LossState {
    std::mutex mutex;
    std::condition_variable changed;
    DisplayLoss::ProgramEnd end;
    std::thread::id guiThread;
    bool runActive = false;
    std::optional<bool> outcome;
    bool exitHandlerRegistered = false;
};

std::atomic<bool> g_lost{false};

LossState& State() {
    static LossState state;
    return state;
}

extern "C" void OnProgramExit() {
    DisplayLoss::OnExit();
}

}  // namespace

DisplayLoss::DisplayLoss(ProgramEnd end) {
    LossState& state = State();
    const std::lock_guard lock(state.mutex);
    state.end = std::move(end);
    state.guiThread = std::this_thread::get_id();
    state.outcome.reset();
    // Registered after the state exists, so it runs before the state is destroyed.
    if (!state.exitHandlerRegistered)
        state.exitHandlerRegistered = std::atexit(&OnProgramExit) == 0;
}

DisplayLoss::~DisplayLoss() {
    LossState& state = State();
    const std::lock_guard lock(state.mutex);
    state.end = nullptr;
}

bool DisplayLoss::Lost() {
    return g_lost.load();
}

void DisplayLoss::RunStarted() {
    LossState& state = State();
    const std::lock_guard lock(state.mutex);
    state.runActive = true;
}

void DisplayLoss::RunEnded(bool outcome) {
    LossState& state = State();
    {
        const std::lock_guard lock(state.mutex);
        state.runActive = false;
        state.outcome = outcome;
    }
    state.changed.notify_all();
}

bool DisplayLoss::RunActive() {
    LossState& state = State();
    const std::lock_guard lock(state.mutex);
    return state.runActive;
}

void DisplayLoss::OnExit() {
    LossState& state = State();
    std::unique_lock lock(state.mutex);
    // Only the GUI thread's exit while armed: the program's own ends have disarmed it.
    if (!state.end || std::this_thread::get_id() != state.guiThread) return;
    g_lost = true;
    std::fputs("quillmarch: the display went away; the run goes on without a window\n", stderr);
    std::fflush(stderr);
    // The run's own waits are bounded; it ends without the GUI thread now.
    state.changed.wait(lock, [&state] { return !state.runActive; });
    const ProgramEnd end = state.end;
    const std::optional<bool> outcome = state.outcome;
    lock.unlock();
    end(outcome);
    std::fflush(nullptr);
    std::_Exit(1);  // the end did not end the program: leave as Qt meant to
}

}  // namespace quillmarch
