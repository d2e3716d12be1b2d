// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/widgets/BitmapPanel.h"

#include <QEvent>
#include <QPainter>
#include <QPalette>
#include <cstdlib>

#include "gui/app/GuiResources.h"

namespace quillmarch {

namespace {

constexpr int kStretchTolerance = 10;

}  // namespace

BitmapPanel::BitmapPanel(QWidget* parent) : QWidget(parent) {
    EnsureGuiResources();
}

bool BitmapPanel::LoadBitmap(int resourceId) {
    m_resourceId = resourceId;
    const QImage loaded(BitmapResourcePath(resourceId));
    if (loaded.isNull()) return false;
    m_bitmap = MapSystemColours(loaded, palette());
    updateGeometry();
    update();
    return true;
}

void BitmapPanel::SetStretch(bool stretch) {
    m_stretch = stretch;
    update();
}

void BitmapPanel::SetText(const QString& text) {
    m_text = text;
    update();
}

void BitmapPanel::SetTextAlignment(Qt::Alignment alignment) {
    m_textAlignment = alignment;
    update();
}

BitmapPanel::SPlacement BitmapPanel::Place(QSize client, QSize bitmap, bool stretch) {
    const int bw = bitmap.width();
    const int bh = bitmap.height();
    stretch = stretch || std::abs(client.width() - bw - 1) > kStretchTolerance ||
              std::abs(client.height() - bh - 1) > kStretchTolerance;
    if (stretch) return {QRect(0, 0, bw - 1, bh - 1), QRect(QPoint(0, 0), client)};
    return {QRect(0, 0, bw - 1, bh), QRect(0, 0, bw - 1, bh)};
}

QImage BitmapPanel::MapSystemColours(const QImage& image, const QPalette& palette) {
    QImage mapped = image.convertToFormat(QImage::Format_ARGB32);
    const struct {
        QRgb grey;
        QRgb replacement;
    } map[] = {{qRgb(128, 128, 128), palette.color(QPalette::Dark).rgb()},
               {qRgb(192, 192, 192), palette.color(QPalette::Button).rgb()},
               {qRgb(223, 223, 223), palette.color(QPalette::Midlight).rgb()}};
    for (int y = 0; y < mapped.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(mapped.scanLine(y));
        for (int x = 0; x < mapped.width(); ++x) {
            for (const auto& entry : map) {
                if (line[x] == (entry.grey | 0xFF000000u)) {
                    line[x] = entry.replacement;
                    break;
                }
            }
        }
    }
    return mapped;
}

QSize BitmapPanel::sizeHint() const {
    return m_bitmap.isNull() ? QSize(16, 16) : m_bitmap.size();
}

void BitmapPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    if (!m_bitmap.isNull()) {
        const SPlacement place = Place(size(), m_bitmap.size(), m_stretch);
        painter.drawImage(place.target, m_bitmap, place.source);
    }
    if (m_text.isEmpty()) return;
    Qt::Alignment vertical = (m_textAlignment & Qt::AlignVCenter) ? Qt::AlignVCenter : Qt::AlignTop;
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (m_textAlignment & Qt::AlignHCenter)
        horizontal = Qt::AlignHCenter;
    else if (m_textAlignment & Qt::AlignRight)
        horizontal = Qt::AlignRight;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(
        rect(), static_cast<int>(horizontal | vertical) | Qt::TextSingleLine | Qt::TextDontClip,
        m_text);
}

void BitmapPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // New system colours: map the artwork again.
    if (event->type() == QEvent::PaletteChange && m_resourceId > 0) LoadBitmap(m_resourceId);
}

}  // namespace quillmarch
