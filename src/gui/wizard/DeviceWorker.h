// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <thread>

namespace quillmarch {

// Runs the wizard pages' device calls (connect, identify, file reads, the call-state request,
// disconnect) off the GUI thread, one job at a time and in the order they were queued, so the
// link is only ever used by one thread. Each job's `apply` step runs afterwards on the GUI
// thread, and only while the object that asked still exists.
//
// The work step must not touch widgets; it hands its findings to `apply` through state the
// two steps share (typically a shared_ptr to a small result struct).
class DeviceWorker : public QObject {
    Q_OBJECT
public:
    using Step = std::function<void()>;

    explicit DeviceWorker(QObject* parent = nullptr);
    // Waits for the running job; queued jobs are dropped. Device calls are bounded by the
    // link's own time limits, so the wait is too.
    ~DeviceWorker() override;

    void Run(QObject* context, Step work, Step apply);
    bool IsBusy() const { return m_busy; }

signals:
    // True when the first job is queued, false once the last job's apply step has started.
    void BusyChanged(bool busy);

private:
    struct SJob {
        QPointer<QObject> context;
        Step work;
        Step apply;
    };

    void StartNext();
    void OnJobDone();
    void SetBusy(bool busy);

    std::deque<SJob> m_queue;
    std::thread m_thread;
    bool m_running = false;
    bool m_busy = false;
};

}  // namespace quillmarch
