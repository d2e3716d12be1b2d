// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/widgets/PageLabel.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QPalette>

namespace quillmarch {

PageLabel::PageLabel(QWidget* parent) : QLabel(parent) {
    QPalette colours = palette();
    m_textColor = colours.color(QPalette::WindowText);
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    setPalette(colours);
    setAutoFillBackground(true);
    setFont(QApplication::font());
}

PageLabel& PageLabel::SetTextColor(const QColor& color) {
    m_textColor = color;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, color);
    setPalette(colours);
    repaint();
    return *this;
}

PageLabel& PageLabel::SetText(const QString& text) {
    setText(text);
    return *this;
}

void PageLabel::mousePressEvent(QMouseEvent* event) {
    if (m_notify && event->button() == Qt::LeftButton) {
        const QUrl target = QUrl::fromUserInput(text());
        if (m_opener)
            m_opener(target);
        else
            QDesktopServices::openUrl(target);
    }
    QLabel::mousePressEvent(event);
}

}  // namespace quillmarch
