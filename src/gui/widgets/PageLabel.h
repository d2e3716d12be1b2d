// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QLabel>
#include <QUrl>
#include <functional>

namespace quillmarch {

// A page's heading or warning text: the default GUI font, a chosen text colour, on the 3-D
// face colour.
class PageLabel : public QLabel {
    Q_OBJECT
public:
    using Opener = std::function<bool(const QUrl&)>;

    explicit PageLabel(QWidget* parent = nullptr);

    // Stores the colour and repaints at once.
    PageLabel& SetTextColor(const QColor& color);
    PageLabel& SetText(const QString& text);
    QColor TextColor() const { return m_textColor; }

    // A notifying label opens its own text (a document or web address) when clicked. Off by
    // default: none of the program's labels react to clicks.
    void SetNotify(bool notify) { m_notify = notify; }
    // Replaces the desktop's opener (tests).
    void SetOpener(Opener opener) { m_opener = std::move(opener); }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QColor m_textColor;
    bool m_notify = false;
    Opener m_opener;
};

}  // namespace quillmarch
