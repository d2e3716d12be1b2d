// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/progress/QtMessageBox.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "core/run/RunInterrupt.h"
#include "core/ui/ConsoleMessageBox.h"
#include "gui/progress/DisplayLoss.h"
#include "gui/progress/GuiThreadCall.h"

namespace quillmarch {

namespace {

constexpr unsigned kButtonMask = 0x0F;
constexpr unsigned kIconMask = 0xF0;
// How often a box on screen looks for the operator's stop (a signal sets only atomics).
constexpr int kStopPollMs = 100;

}  // namespace

QtMessageBox::QtMessageBox(QWidget* parent, const RunInterrupt* interrupt)
    : m_parent(parent), m_interrupt(interrupt) {}

int QtMessageBox::Show(const std::string& text, const std::string& caption, unsigned style) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return ConsoleMessageBox().Show(text, caption, style);
    int answer = DismissedAnswer(style);
    const QString qtText = QString::fromStdString(text);
    const QString qtCaption = QString::fromStdString(caption);
    CallOnGuiThread([this, &answer, &qtText, &qtCaption, style] {
        answer = ShowOnGuiThread(m_parent.data(), qtText, qtCaption, style, m_interrupt);
    });
    return answer;
}

bool QtMessageBox::CanShow() const {
    return !DisplayLoss::Lost();
}

int QtMessageBox::ShowOnGuiThread(QWidget* parent, const QString& text, const QString& caption,
                                  unsigned style, const RunInterrupt* interrupt) {
    // A run already stopped does not wait for anyone: the stop answers the box.
    if (interrupt && interrupt->Requested()) return DismissedAnswer(style);
    QMessageBox box(IconFor(style), caption, text, ButtonsFor(style), parent);
    box.setObjectName(QStringLiteral("messageBox"));
    // Retry or stop the run: the second button ends the update, it does not close a question.
    if ((style & kButtonMask) == MB_RETRYCANCEL) {
        box.button(QMessageBox::Retry)->setText(QObject::tr("&Retry"));
        box.button(QMessageBox::Cancel)->setText(QObject::tr("&Stop"));
        box.setDefaultButton(QMessageBox::Retry);
    }
    QTimer stopWatch;
    if (interrupt) {
        QObject::connect(&stopWatch, &QTimer::timeout, &box, [&box, interrupt] {
            if (interrupt->Requested()) box.done(QMessageBox::NoButton);
        });
        stopWatch.start(kStopPollMs);
    }
    return AnswerFor(box.exec(), style);
}

QMessageBox::StandardButtons QtMessageBox::ButtonsFor(unsigned style) {
    switch (style & kButtonMask) {
        case MB_OKCANCEL:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MB_YESNO:
            return QMessageBox::Yes | QMessageBox::No;
        case MB_RETRYCANCEL:
            return QMessageBox::Retry | QMessageBox::Cancel;
        default:
            return QMessageBox::Ok;
    }
}

QMessageBox::Icon QtMessageBox::IconFor(unsigned style) {
    switch (style & kIconMask) {
        case MB_ICONERROR:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONWARNING:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int QtMessageBox::AnswerFor(int button, unsigned style) {
    switch (button) {
        case QMessageBox::Ok:
            return IDOK;
        case QMessageBox::Cancel:
            return IDCANCEL;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        case QMessageBox::Retry:
            return IDRETRY;
        default:
            return DismissedAnswer(style);
    }
}

int QtMessageBox::DismissedAnswer(unsigned style) {
    switch (style & kButtonMask) {
        case MB_OKCANCEL:
        case MB_RETRYCANCEL:
            return IDCANCEL;
        case MB_YESNO:
            return IDNO;
        default:
            return IDOK;
    }
}

}  // namespace quillmarch
