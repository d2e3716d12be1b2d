// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCoreApplication>
#include <atomic>
#include <functional>
#include <thread>

namespace quillmarch::test {

// A worker thread for tests whose GUI thread must keep serving it: however the test ends, the
// destructor serves events until the work is over and then joins, so that a failed check
// cannot leave a worker blocked on the GUI thread (or a joinable std::thread behind).
class CProgressTestWorker {
public:
    explicit CProgressTestWorker(std::function<void()> work)
        : m_thread([this, work = std::move(work)] {
              work();
              m_finished = true;
          }) {}
    ~CProgressTestWorker() {
        while (!m_finished) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        m_thread.join();
    }
    CProgressTestWorker(const CProgressTestWorker&) = delete;
    CProgressTestWorker& operator=(const CProgressTestWorker&) = delete;

    bool Finished() const { return m_finished; }

private:
    std::atomic<bool> m_finished{false};
    std::thread m_thread;  // last: it starts once the flag exists
};

}  // namespace quillmarch::test
