// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLineEdit>

namespace quillmarch {

class AddressControl;

// One field of the address control: digits only (clipboard keys pass), at most three.
class AddressFieldEdit : public QLineEdit {
    Q_OBJECT
public:
    AddressFieldEdit(AddressControl& owner, int number);

    int Number() const { return m_number; }
    // The field's number, as the C library's atoi reads it; -1 when the field is empty.
    int Value() const;
    // The focus came here because the previous field filled up.
    void MarkAutoEntered() { m_autoEntered = true; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool HandleCharacter(QKeyEvent* event);
    void DropLeadingZeros();
    // A whole address fills the control; other text goes into this field.
    void PasteClipboard();

    AddressControl& m_owner;
    int m_number;
    bool m_autoEntered = false;
};

}  // namespace quillmarch
