// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

#include "gui/progress/DisplayLoss.h"

namespace quillmarch {

// True on the thread the application object lives on (the GUI thread).
inline bool OnGuiThread() {
    QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

namespace detail {

// One call handed to the GUI thread. The guard's end (after the call ran, or when Qt drops it
// unrun) wakes the caller.
struct GuiCallState {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool ran = false;
    bool abandoned = false;
};

struct GuiCallGuard {
    explicit GuiCallGuard(std::shared_ptr<GuiCallState> callState) : state(std::move(callState)) {}
    GuiCallGuard(const GuiCallGuard&) = delete;
    GuiCallGuard& operator=(const GuiCallGuard&) = delete;
    std::shared_ptr<GuiCallState> state;
    ~GuiCallGuard() {
        {
            const std::lock_guard lock(state->mutex);
            state->finished = true;
        }
        state->done.notify_all();
    }
};

// How often a caller waiting for the GUI thread looks whether the display is gone.
inline constexpr std::chrono::milliseconds kGuiCallPoll{100};

}  // namespace detail

// Runs call on the GUI thread and waits until it has run. On the GUI thread itself it runs at
// once, so a caller there cannot deadlock. Answers false when it did not run: there is no
// application, Qt dropped the queued call while shutting down, or the display went away (the
// GUI thread then serves nobody again, so the wait ends without it). Callers preset whatever
// the call would write with the answer that means "gone".
template <typename Call>
bool CallOnGuiThread(Call&& call) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) return false;
    if (QThread::currentThread() == application->thread()) {
        call();
        return true;
    }
    if (DisplayLoss::Lost()) return false;
    auto state = std::make_shared<detail::GuiCallState>();
    auto guard = std::make_shared<detail::GuiCallGuard>(state);
    auto* target = &call;
    const bool queued = QMetaObject::invokeMethod(
        application,
        [guard = std::move(guard), target] {
            {
                const std::lock_guard lock(guard->state->mutex);
                if (guard->state->abandoned) return;
                guard->state->ran = true;
            }
            (*target)();
        },
        Qt::QueuedConnection);
    if (!queued) return false;
    std::unique_lock lock(state->mutex);
    while (!state->finished) {
        state->done.wait_for(lock, detail::kGuiCallPoll);
        if (!state->finished && DisplayLoss::Lost()) {
            state->abandoned = true;  // a call not yet started never starts
            return false;
        }
    }
    return state->ran;
}

// Queues call for the GUI thread without waiting (also from the GUI thread itself).
template <typename Call>
bool PostToGuiThread(Call&& call) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) return false;
    return QMetaObject::invokeMethod(application, std::forward<Call>(call), Qt::QueuedConnection);
}

}  // namespace quillmarch
