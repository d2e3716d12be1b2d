// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <utility>

namespace quillmarch {

// True on the thread the application object lives on (the GUI thread).
inline bool OnGuiThread() {
    QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

// Runs call on the GUI thread and waits until it has run. On the GUI thread itself it runs at
// once, so a caller there cannot deadlock. Answers false when there is no application to run
// it; Qt may also drop a queued call while it shuts down, so callers preset whatever the call
// would write with the answer that means "gone". The GUI thread must be serving events.
template <typename Call>
bool CallOnGuiThread(Call&& call) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) return false;
    if (QThread::currentThread() == application->thread()) {
        call();
        return true;
    }
    return QMetaObject::invokeMethod(application, std::forward<Call>(call),
                                     Qt::BlockingQueuedConnection);
}

// Queues call for the GUI thread without waiting (also from the GUI thread itself).
template <typename Call>
bool PostToGuiThread(Call&& call) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) return false;
    return QMetaObject::invokeMethod(application, std::forward<Call>(call), Qt::QueuedConnection);
}

}  // namespace quillmarch
