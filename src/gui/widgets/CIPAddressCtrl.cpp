#include "gui/widgets/CIPAddressCtrl.h"

#include <QDialog>
#include <QFocusEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>

#include "core/app/DottedAddress.h"
#include "gui/widgets/CIPAddressEdit.h"

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

CIPAddressCtrl::CIPAddressCtrl(QWidget* parent, bool noRangeCheck)
    : QFrame(parent), m_bNoRangeCheck(noRangeCheck) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::NoFocus);  // the fields take the focus, in their own tab order
    setCursor(Qt::IBeamCursor);
    for (int i = 0; i < kFields; ++i)
        m_apFields[static_cast<size_t>(i)] = new CIPAddressEdit(*this, i + 1);
    ApplyColours();
}

CIPAddressEdit* CIPAddressCtrl::Field(int number) const {
    if (number < 1 || number > kFields) return nullptr;
    return m_apFields[static_cast<size_t>(number - 1)];
}

int CIPAddressCtrl::LeadingNumber(std::string_view text) {
    return dotted::LeadingNumber(text);
}

CIPAddressCtrl::Bytes CIPAddressCtrl::ParseDotted(std::string_view text) {
    return dotted::Parse(text);
}

bool CIPAddressCtrl::GetAddress(SAddress& address, bool reportErrors) {
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

void CIPAddressCtrl::SetAddress(const Bytes& bytes) {
    for (int n = 1; n <= kFields; ++n)
        Field(n)->setText(QString::number(bytes[static_cast<size_t>(n - 1)]));
}

void CIPAddressCtrl::SetReadOnly(bool readOnly) {
    m_bReadOnly = readOnly;
    for (auto* field : m_apFields) field->setReadOnly(readOnly);
    ApplyColours();
    update();
}

bool CIPAddressCtrl::Exchange(bool save, Bytes& bytes) {
    if (!save) {
        SetAddress(bytes);
        return true;
    }
    SAddress address;
    if (!GetAddress(address, true)) return false;
    bytes = address.bytes;
    return true;
}

void CIPAddressCtrl::SetDottedText(std::string_view text) {
    SetAddress(ParseDotted(text));
}

QString CIPAddressCtrl::DottedText() {
    SAddress address;
    if (!GetAddress(address, true)) return {};
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address.bytes[0])
        .arg(address.bytes[1])
        .arg(address.bytes[2])
        .arg(address.bytes[3]);
}

bool CIPAddressCtrl::Navigate(int field, ENavigation how) {
    switch (how) {
        case ENavigation::Tab:
        case ENavigation::BackTab:
            // Tab leaves the control as it leaves any other; the dot, the arrows and
            // Backspace move between the fields.
            FocusOutside(how == ENavigation::Tab);
            return true;
        case ENavigation::Dot:
            if (field < kFields) FocusField(field + 1, true);
            return true;
        case ENavigation::FieldFull:
            if (!m_bNoRangeCheck && Field(field)->Value() > kMaxByte) {
                ShowError(RangeMessage(Field(field)->Value()));
                FocusField(field, true);
                return true;
            }
            if (field < kFields) {
                FocusField(field + 1, true);
                Field(field + 1)->MarkAutoEntered();
            }
            return true;
        case ENavigation::Enter:
            ClickDefaultButton();
            return true;
        case ENavigation::Escape:
            return CancelOuterDialog();
    }
    return false;
}

std::optional<CIPAddressCtrl::Bytes> CIPAddressCtrl::ParsePastedAddress(const QString& text) {
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

bool CIPAddressCtrl::PasteAddress(const QString& text) {
    const auto bytes = ParsePastedAddress(text);
    if (!bytes || m_bReadOnly) return false;
    SetAddress(*bytes);
    FocusField(kFields, false);
    Field(kFields)->end(false);
    return true;
}

void CIPAddressCtrl::FocusField(int field, bool selectAll) {
    CIPAddressEdit* edit = Field(field);
    if (!edit) return;
    edit->setFocus(Qt::OtherFocusReason);
    if (selectAll) edit->selectAll();
}

void CIPAddressCtrl::FocusOutside(bool forward) {
    QWidget* start = forward ? Field(kFields) : Field(1);
    QWidget* next = start;
    do {
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    } while (next != start && (isAncestorOf(next) || next == this || !TabStop(next)));
    if (next != start) next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

bool CIPAddressCtrl::CancelOuterDialog() {
    // Only a control on a page inside a dialog (a wizard page) cancels that dialog; directly on
    // a dialog the key takes its ordinary course.
    auto* dialog = qobject_cast<QDialog*>(window());
    if (!dialog || parentWidget() == dialog) return false;
    dialog->reject();
    return true;
}

bool CIPAddressCtrl::ClickDefaultButton() {
    for (auto* button : window()->findChildren<QPushButton*>()) {
        if (button->isDefault() && button->isVisible()) {
            button->click();
            return true;
        }
    }
    return false;
}

void CIPAddressCtrl::ShowError(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ipAddressError"));
    box.exec();
}

QSize CIPAddressCtrl::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const int dot = metrics.horizontalAdvance(QLatin1Char('.'));
    const int frame = 2 * frameWidth();
    // Each field holds three digits with a digit's room to spare on either side.
    return {4 * metrics.horizontalAdvance(QStringLiteral("00000")) + 3 * dot + frame,
            metrics.height() + frame + 6};
}

void CIPAddressCtrl::Layout() {
    const QRect client = contentsRect();
    const int dot = fontMetrics().horizontalAdvance(QLatin1Char('.'));
    const int width = (client.width() - 3 * dot) / kFields;
    const int edge = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    for (int i = 0; i < kFields; ++i) {
        m_apFields[static_cast<size_t>(i)]->setGeometry(
            client.x() + i * (width + dot), client.y() + edge, width, client.height() - edge);
    }
    for (int i = 0; i < kFields - 1; ++i) {
        const int left = width + i * (width + dot);
        m_dotRects[static_cast<size_t>(i)] =
            QRect(client.x() + left, client.y(), (width + dot) * (i + 1) - left, client.height());
    }
}

void CIPAddressCtrl::ApplyColours() {
    QPalette colours = palette();
    const bool writable = isEnabled() && !m_bReadOnly;
    const QColor background = colours.color(writable ? QPalette::Base : QPalette::Button);
    for (auto* field : m_apFields) {
        QPalette fieldColours = field->palette();
        fieldColours.setColor(QPalette::Base, background);
        field->setPalette(fieldColours);
    }
}

void CIPAddressCtrl::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    Layout();
}

void CIPAddressCtrl::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        const bool writable = isEnabled() && !m_bReadOnly;
        painter.fillRect(contentsRect(),
                         palette().color(writable ? QPalette::Base : QPalette::Button));
        painter.setPen(isEnabled() ? palette().color(QPalette::WindowText)
                                   : palette().color(QPalette::Disabled, QPalette::Text));
        for (const QRect& dot : m_dotRects)
            painter.drawText(dot, Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("."));
    }
    QFrame::paintEvent(event);
}

void CIPAddressCtrl::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange) {
        ApplyColours();
        update();
    } else if (event->type() == QEvent::FontChange) {
        Layout();
    }
}

void CIPAddressCtrl::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    FocusField(1, true);
}

}  // namespace quillmarch
