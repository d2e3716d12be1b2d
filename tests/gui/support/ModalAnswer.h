// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace quillmarch::test {

// Hands the next modal dialog to `answer` once it is up (checked every 10 ms, given up after
// 5 s so that a missing dialog fails the test instead of hanging it). The answer must close
// the dialog. Call before the code that opens it.
inline void AnswerNextModal(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer(qApp);
    auto deadline = std::make_shared<int>(500);
    QWidget* before = QApplication::activeModalWidget();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, before, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != before && modal->isVisible()) {
            timer->deleteLater();
            timer->stop();
            answer(modal);
        } else if (--*deadline <= 0) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

}  // namespace quillmarch::test
