// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/widgets/AddressFieldEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <utility>

#include "gui/widgets/AddressControl.h"

namespace quillmarch {

namespace {

constexpr int kMaxDigits = 3;

bool IsControlCharacter(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

}  // namespace

AddressFieldEdit::AddressFieldEdit(AddressControl& owner, int number)
    : QLineEdit(&owner), m_owner(owner), m_number(number) {
    setObjectName(QStringLiteral("field%1").arg(number));
    setMaxLength(kMaxDigits);
    setAlignment(Qt::AlignCenter);
    setFrame(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

int AddressFieldEdit::Value() const {
    if (text().isEmpty()) return -1;
    return AddressControl::LeadingNumber(text().toStdString());
}

bool AddressFieldEdit::event(QEvent* event) {
    // Tab would otherwise be taken by the focus chain before the field sees it.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            const bool shift =
                key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
            m_owner.Navigate(m_number, shift ? AddressControl::Navigation::BackTab
                                             : AddressControl::Navigation::Tab);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void AddressFieldEdit::keyPressEvent(QKeyEvent* event) {
    using Navigation = AddressControl::Navigation;
    // A dot typed right after a full field moved the focus here is that field's dot.
    const bool autoEntered = std::exchange(m_autoEntered, false);
    if (event->matches(QKeySequence::Paste)) {
        PasteClipboard();
        return;
    }
    if (autoEntered && event->text() == QLatin1String(".")) return;
    switch (event->key()) {
        case Qt::Key_Backspace:
            if (cursorPosition() == 0 && !hasSelectedText() && m_number > 1) {
                m_owner.FocusField(m_number - 1, false);
                return;
            }
            QLineEdit::keyPressEvent(event);
            return;
        case Qt::Key_Left:
            if (cursorPosition() == 0 && m_number > 1) m_owner.FocusField(m_number - 1, false);
            QLineEdit::keyPressEvent(event);
            return;
        case Qt::Key_Right:
            if (cursorPosition() == text().size() && m_number < 4)
                m_owner.FocusField(m_number + 1, false);
            QLineEdit::keyPressEvent(event);
            return;
        case Qt::Key_Escape:
            if (!m_owner.Navigate(m_number, Navigation::Escape)) QLineEdit::keyPressEvent(event);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_owner.Navigate(m_number, Navigation::Enter);
            return;
        case Qt::Key_Delete:
        case Qt::Key_Home:
        case Qt::Key_End:
            QLineEdit::keyPressEvent(event);
            return;
        default:
            break;
    }
    if (!HandleCharacter(event)) QLineEdit::keyPressEvent(event);
}

bool AddressFieldEdit::HandleCharacter(QKeyEvent* event) {
    const QString typed = event->text();

    const bool clipboardKey = event->modifiers() & Qt::ControlModifier;
    if (!clipboardKey && typed.size() != 1) return false;  // keys without a character
    const QChar c = clipboardKey ? QChar(0x01) : typed.at(0);
    if (c == QLatin1Char('.') || c == QLatin1Char(' ')) {
        m_owner.Navigate(m_number, AddressControl::Navigation::Dot);
        return true;
    }
    const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (!digit && !IsControlCharacter(c)) {
        QApplication::beep();
        return true;
    }
    QLineEdit::keyPressEvent(event);
    if (digit) DropLeadingZeros();
    if (text().size() == kMaxDigits)
        m_owner.Navigate(m_number, AddressControl::Navigation::FieldFull);
    return true;
}

void AddressFieldEdit::DropLeadingZeros() {
    // A field shows its number: a digit typed after a 0 (as the control shows an empty
    // address) replaces it, "077" reads 77.
    QString digits = text();
    int zeros = 0;
    while (zeros < digits.size() - 1 && digits.at(zeros) == QLatin1Char('0')) ++zeros;
    if (zeros == 0) return;
    const int cursor = cursorPosition();
    setText(digits.remove(0, zeros));
    setCursorPosition(std::max(cursor - zeros, 0));
}

void AddressFieldEdit::PasteClipboard() {
    const QString pasted = QGuiApplication::clipboard()->text();
    if (m_owner.PasteAddress(pasted)) return;
    if (pasted.contains(QLatin1Char('.'))) {
        QApplication::beep();  // part of an address: no one field can take it
        return;
    }
    paste();
    if (text().size() == kMaxDigits)
        m_owner.Navigate(m_number, AddressControl::Navigation::FieldFull);
}

void AddressFieldEdit::focusOutEvent(QFocusEvent* event) {
    m_autoEntered = false;
    QLineEdit::focusOutEvent(event);
}

void AddressFieldEdit::contextMenuEvent(QContextMenuEvent* event) {
    // The menu's Paste follows the same rule as the key: a whole address fills all fields.
    QMenu* menu = createStandardContextMenu();
    if (auto* pasteAction = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
        disconnect(pasteAction, &QAction::triggered, nullptr, nullptr);
        connect(pasteAction, &QAction::triggered, this, &AddressFieldEdit::PasteClipboard);
    }
    menu->exec(event->globalPos());
    delete menu;
}

}  // namespace quillmarch
