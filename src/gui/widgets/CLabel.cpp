#include "gui/widgets/CLabel.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QPalette>

namespace quillmarch {

CLabel::CLabel(QWidget* parent) : QLabel(parent) {
    QPalette colours = palette();
    m_textColor = colours.color(QPalette::WindowText);
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    setPalette(colours);
    setAutoFillBackground(true);
    setFont(QApplication::font());
}

CLabel& CLabel::SetTextColor(const QColor& color) {
    m_textColor = color;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, color);
    setPalette(colours);
    repaint();
    return *this;
}

CLabel& CLabel::SetText(const QString& text) {
    setText(text);
    return *this;
}

void CLabel::mousePressEvent(QMouseEvent* event) {
    if (m_bNotify && event->button() == Qt::LeftButton) {
        const QUrl target = QUrl::fromUserInput(text());
        if (m_opener)
            m_opener(target);
        else
            QDesktopServices::openUrl(target);
    }
    QLabel::mousePressEvent(event);
}

}  // namespace quillmarch
