#include "gui/wizard/CDeviceWorker.h"

#include <QMetaObject>

namespace quillmarch {

CDeviceWorker::CDeviceWorker(QObject* parent) : QObject(parent) {}

CDeviceWorker::~CDeviceWorker() {
    if (m_thread.joinable()) m_thread.join();
}

void CDeviceWorker::Run(QObject* context, Step work, Step apply) {
    m_aQueue.push_back({context, std::move(work), std::move(apply)});
    SetBusy(true);
    if (!m_bRunning) StartNext();
}

void CDeviceWorker::StartNext() {
    m_bRunning = true;
    Step work = m_aQueue.front().work;
    m_thread = std::thread([this, work = std::move(work)] {
        if (work) work();
        // Delivered on the GUI thread; dropped if this object is gone by then.
        QMetaObject::invokeMethod(this, &CDeviceWorker::OnJobDone, Qt::QueuedConnection);
    });
}

void CDeviceWorker::OnJobDone() {
    m_thread.join();
    m_bRunning = false;
    SJob job = std::move(m_aQueue.front());
    m_aQueue.pop_front();
    // The window is usable again before the result shows, so a question the result asks is
    // answered with the normal cursor. An apply step that queues more work makes it busy again.
    if (m_aQueue.empty()) SetBusy(false);
    if (job.context && job.apply) job.apply();
    if (!m_bRunning && !m_aQueue.empty()) StartNext();
}

void CDeviceWorker::SetBusy(bool busy) {
    if (busy == m_bBusy) return;
    m_bBusy = busy;
    emit BusyChanged(busy);
}

}  // namespace quillmarch
