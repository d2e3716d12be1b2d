#include "gui/widgets/CIPAddressEdit.h"

#include <QApplication>
#include <QKeyEvent>

#include "gui/widgets/CIPAddressCtrl.h"

namespace quillmarch {

namespace {

constexpr int kMaxDigits = 3;

bool IsControlCharacter(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

}  // namespace

CIPAddressEdit::CIPAddressEdit(CIPAddressCtrl& owner, int number)
    : QLineEdit(&owner), m_owner(owner), m_nNumber(number) {
    setObjectName(QStringLiteral("field%1").arg(number));
    setMaxLength(kMaxDigits);
    setAlignment(Qt::AlignCenter);
    setFrame(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

int CIPAddressEdit::Value() const {
    if (text().isEmpty()) return -1;
    return CIPAddressCtrl::LeadingNumber(text().toStdString());
}

bool CIPAddressEdit::event(QEvent* event) {
    // Tab would otherwise be taken by the focus chain before the field sees it.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            const bool shift =
                key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
            m_owner.Navigate(m_nNumber, shift ? CIPAddressCtrl::ENavigation::BackTab
                                              : CIPAddressCtrl::ENavigation::Tab);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CIPAddressEdit::keyPressEvent(QKeyEvent* event) {
    using ENavigation = CIPAddressCtrl::ENavigation;
    switch (event->key()) {
        case Qt::Key_Left:
            if (cursorPosition() == 0 && m_nNumber > 1) m_owner.FocusField(m_nNumber - 1, false);
            QLineEdit::keyPressEvent(event);
            return;
        case Qt::Key_Right:
            if (cursorPosition() == text().size() && m_nNumber < 4)
                m_owner.FocusField(m_nNumber + 1, false);
            QLineEdit::keyPressEvent(event);
            return;
        case Qt::Key_Escape:
            if (!m_owner.Navigate(m_nNumber, ENavigation::Escape)) QLineEdit::keyPressEvent(event);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_owner.Navigate(m_nNumber, ENavigation::Enter);
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

bool CIPAddressEdit::HandleCharacter(QKeyEvent* event) {
    const QString typed = event->text();
    const bool clipboardKey = event->modifiers() & Qt::ControlModifier;
    if (!clipboardKey && typed.size() != 1) return false;  // keys without a character
    const QChar c = clipboardKey ? QChar(0x01) : typed.at(0);
    if (c == QLatin1Char('.') || c == QLatin1Char(' ')) {
        m_owner.Navigate(m_nNumber, CIPAddressCtrl::ENavigation::Dot);
        return true;
    }
    const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (!digit && !IsControlCharacter(c)) {
        QApplication::beep();
        return true;
    }
    QLineEdit::keyPressEvent(event);
    if (text().size() == kMaxDigits)
        m_owner.Navigate(m_nNumber, CIPAddressCtrl::ENavigation::FieldFull);
    return true;
}

}  // namespace quillmarch
