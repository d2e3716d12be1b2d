// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/DeviceWorker.h"

#include <QMetaObject>

namespace quillmarch {

DeviceWorker::DeviceWorker(QObject* parent) : QObject(parent) {}

DeviceWorker::~DeviceWorker() {
    if (m_thread.joinable()) m_thread.join();
}

void DeviceWorker::Run(QObject* context, Step work, Step apply) {
    m_queue.push_back({context, std::move(work), std::move(apply)});
    SetBusy(true);
    if (!m_running) StartNext();
}

void DeviceWorker::StartNext() {
    m_running = true;
    Step work = m_queue.front().work;
    m_thread = std::thread([this, work = std::move(work)] {
        if (work) work();
        // Delivered on the GUI thread; dropped if this object is gone by then.
        QMetaObject::invokeMethod(this, &DeviceWorker::OnJobDone, Qt::QueuedConnection);
    });
}

void DeviceWorker::OnJobDone() {
    m_thread.join();
    m_running = false;
    SJob job = std::move(m_queue.front());
    m_queue.pop_front();
    // The window is usable again before the result shows, so a question the result asks is
    // answered with the normal cursor. An apply step that queues more work makes it busy again.
    if (m_queue.empty()) SetBusy(false);
    if (job.context && job.apply) job.apply();
    if (!m_running && !m_queue.empty()) StartNext();
}

void DeviceWorker::SetBusy(bool busy) {
    if (busy == m_busy) return;
    m_busy = busy;
    emit BusyChanged(busy);
}

}  // namespace quillmarch
