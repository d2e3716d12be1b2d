// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <string>

#include "core/ui/IMessageBox.h"

class QWidget;

namespace quillmarch {

class RunInterrupt;

// The application's message boxes as real Qt message boxes. The box is always shown on the GUI
// thread; a caller on a worker thread (the engine during a run) waits for the operator's
// answer. Without a Qt application the text goes to stderr as on the console.
class QtMessageBox : public IMessageBox {
public:
    // parent: the window the boxes are centred on; none centres them on the screen.
    // interrupt: the run whose stop (a signal) closes a box on screen with its dismissed answer,
    // so that no box holds a stop until someone clicks; must outlive this object.
    explicit QtMessageBox(QWidget* parent = nullptr, const RunInterrupt* interrupt = nullptr);

    // MB_* buttons and icon in, ID* answer out.
    int Show(const std::string& text, const std::string& caption, unsigned style) override;
    bool CanShow() const override;

    // The pieces of the mapping.
    static QMessageBox::StandardButtons ButtonsFor(unsigned style);
    static QMessageBox::Icon IconFor(unsigned style);
    static int AnswerFor(int button, unsigned style);
    // The answer when no button was pressed (the box could not be shown).
    static int DismissedAnswer(unsigned style);

private:
    static int ShowOnGuiThread(QWidget* parent, const QString& text, const QString& caption,
                               unsigned style, const RunInterrupt* interrupt);

    QPointer<QWidget> m_parent;  // GUI thread only
    const RunInterrupt* m_interrupt;
};

}  // namespace quillmarch
