// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/widgets/AddressControl.h"

#include <QDialog>
#include <QFocusEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>

#include "core/util/DottedAddress.h"
#include "gui/widgets/AddressFieldEdit.h"

namespace quillmarch {

namespace {

constexpr int kMaxByte = 255;

QString RangeMessage(int value) {
    return QStringLiteral(
               "%1 is not a valid entry.  Please specify a value between 0 and 255 for this "
               "field.")
        .arg(value);
}

bool TabStop(const QWidget* widget) {
    return (widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() && widget->isEnabled();
}

}  // namespace

AddressControl::AddressControl(QWidget* parent, bool noRangeCheck)
    : QFrame(parent), m_noRangeCheck(noRangeCheck) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::NoFocus);  // the fields take the focus, in their own tab order
    setCursor(Qt::IBeamCursor);
    for (int i = 0; i < kFields; ++i)
        m_fields[static_cast<size_t>(i)] = new AddressFieldEdit(*this, i + 1);
    ApplyColours();
}

AddressFieldEdit* AddressControl::Field(int number) const {
    if (number < 1 || number > kFields) return nullptr;
    return m_fields[static_cast<size_t>(number - 1)];
}

int AddressControl::LeadingNumber(std::string_view text) {
    return dotted::LeadingNumber(text);
}

AddressControl::Bytes AddressControl::ParseDotted(std::string_view text) {
    return dotted::Parse(text);
}

bool AddressControl::GetAddress(SAddress& address, bool reportErrors) {
    address = SAddress{};
    Bytes bytes{};
    for (int n = 1; n <= kFields; ++n) {
        const int value = Field(n)->Value();
        if (value >= 0 && value <= kMaxByte) {
            bytes[static_cast<size_t>(n - 1)] = static_cast<std::uint8_t>(value);
            continue;
        }
        address.nBadField = n;
        if (reportErrors)
            ShowError(value == -1 ? QStringLiteral("Missing value in IP address")
                                  : RangeMessage(value));
        FocusField(n, true);
        return false;
    }
    address.bytes = bytes;
    return true;
}

void AddressControl::SetAddress(const Bytes& bytes) {
    for (int n = 1; n <= kFields; ++n)
        Field(n)->setText(QString::number(bytes[static_cast<size_t>(n - 1)]));
}

void AddressControl::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    for (auto* field : m_fields) field->setReadOnly(readOnly);
    ApplyColours();
    update();
}

bool AddressControl::Exchange(bool save, Bytes& bytes) {
    if (!save) {
        SetAddress(bytes);
        return true;
    }
    SAddress address;
    if (!GetAddress(address, true)) return false;
    bytes = address.bytes;
    return true;
}

void AddressControl::SetDottedText(std::string_view text) {
    SetAddress(ParseDotted(text));
}

QString AddressControl::DottedText() {
    SAddress address;
    if (!GetAddress(address, true)) return {};
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address.bytes[0])
        .arg(address.bytes[1])
        .arg(address.bytes[2])
        .arg(address.bytes[3]);
}

bool AddressControl::Navigate(int field, Navigation how) {
    switch (how) {
        case Navigation::Tab:
        case Navigation::BackTab:
            // Tab leaves the control as it leaves any other; the dot, the arrows and
            // Backspace move between the fields.
            FocusOutside(how == Navigation::Tab);
            return true;
        case Navigation::Dot:
            if (field < kFields) FocusField(field + 1, true);
            return true;
        case Navigation::FieldFull:
            if (!m_noRangeCheck && Field(field)->Value() > kMaxByte) {
                ShowError(RangeMessage(Field(field)->Value()));
                FocusField(field, true);
                return true;
            }
            if (field < kFields) {
                FocusField(field + 1, true);
                Field(field + 1)->MarkAutoEntered();
            }
            return true;
        case Navigation::Enter:
            ClickDefaultButton();
            return true;
        case Navigation::Escape:
            return CancelOuterDialog();
    }
    return false;
}

std::optional<AddressControl::Bytes> AddressControl::ParsePastedAddress(const QString& text) {
    // Only a whole dotted address: four numbers of one to three digits, each at most 255.
    static const QRegularExpression whole(
        QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    const QRegularExpressionMatch match = whole.match(text.trimmed());
    if (!match.hasMatch()) return std::nullopt;
    Bytes bytes{};
    for (int part = 1; part <= kFields; ++part) {
        const int value = match.captured(part).toInt();
        if (value > kMaxByte) return std::nullopt;
        bytes[static_cast<size_t>(part - 1)] = static_cast<std::uint8_t>(value);
    }
    return bytes;
}

bool AddressControl::PasteAddress(const QString& text) {
    const auto bytes = ParsePastedAddress(text);
    if (!bytes || m_readOnly) return false;
    SetAddress(*bytes);
    FocusField(kFields, false);
    Field(kFields)->end(false);
    return true;
}

void AddressControl::FocusField(int field, bool selectAll) {
    AddressFieldEdit* edit = Field(field);
    if (!edit) return;
    edit->setFocus(Qt::OtherFocusReason);
    if (selectAll) edit->selectAll();
}

void AddressControl::FocusOutside(bool forward) {
    QWidget* start = forward ? Field(kFields) : Field(1);
    QWidget* next = start;
    do {
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    } while (next != start && (isAncestorOf(next) || next == this || !TabStop(next)));
    if (next != start) next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

bool AddressControl::CancelOuterDialog() {
    // Only a control on a page inside a dialog (a wizard page) cancels that dialog; directly on
    // a dialog the key takes its ordinary course.
    auto* dialog = qobject_cast<QDialog*>(window());
    if (!dialog || parentWidget() == dialog) return false;
    dialog->reject();
    return true;
}

bool AddressControl::ClickDefaultButton() {
    for (auto* button : window()->findChildren<QPushButton*>()) {
        if (button->isDefault() && button->isVisible()) {
            button->click();
            return true;
        }
    }
    return false;
}

void AddressControl::ShowError(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ipAddressError"));
    box.exec();
}

QSize AddressControl::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const int dot = metrics.horizontalAdvance(QLatin1Char('.'));
    const int frame = 2 * frameWidth();
    // Each field holds three digits with a digit's room to spare on either side.
    return {4 * metrics.horizontalAdvance(QStringLiteral("00000")) + 3 * dot + frame,
            metrics.height() + frame + 6};
}

void AddressControl::Layout() {
    const QRect client = contentsRect();
    const int dot = fontMetrics().horizontalAdvance(QLatin1Char('.'));
    const int width = (client.width() - 3 * dot) / kFields;
    const int edge = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    for (int i = 0; i < kFields; ++i) {
        m_fields[static_cast<size_t>(i)]->setGeometry(
            client.x() + i * (width + dot), client.y() + edge, width, client.height() - edge);
    }
    for (int i = 0; i < kFields - 1; ++i) {
        const int left = width + i * (width + dot);
        m_dotRects[static_cast<size_t>(i)] =
            QRect(client.x() + left, client.y(), (width + dot) * (i + 1) - left, client.height());
    }
}

void AddressControl::ApplyColours() {
    QPalette colours = palette();
    const bool writable = isEnabled() && !m_readOnly;
    const QColor background = colours.color(writable ? QPalette::Base : QPalette::Button);
    for (auto* field : m_fields) {
        QPalette fieldColours = field->palette();
        fieldColours.setColor(QPalette::Base, background);
        field->setPalette(fieldColours);
    }
}

void AddressControl::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    Layout();
}

void AddressControl::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        const bool writable = isEnabled() && !m_readOnly;
        painter.fillRect(contentsRect(),
                         palette().color(writable ? QPalette::Base : QPalette::Button));
        painter.setPen(isEnabled() ? palette().color(QPalette::WindowText)
                                   : palette().color(QPalette::Disabled, QPalette::Text));
        for (const QRect& dot : m_dotRects)
            painter.drawText(dot, Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("."));
    }
    QFrame::paintEvent(event);
}

void AddressControl::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange) {
        ApplyColours();
        update();
    } else if (event->type() == QEvent::FontChange) {
        Layout();
    }
}

void AddressControl::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    FocusField(1, true);
}

void AddressControl::SetAccessibleNames(const QString& name) {
    setAccessibleName(name);
    for (int i = 0; i < kFields; ++i)
        m_fields[static_cast<size_t>(i)]->setAccessibleName(
            tr("%1, part %2 of %3").arg(name).arg(i + 1).arg(kFields));
}

}  // namespace quillmarch
