// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

namespace quillmarch {

// A numbered bitmap painted as the whole face of a panel: the wizard pages' side panels, the
// welcome picture and the summary's tick marks. Three shades of grey in the artwork follow the
// current 3-D colours of the palette, so panels blend in with any colour scheme.
class BitmapPanel : public QWidget {
    Q_OBJECT
public:
    // How the bitmap lands on a client rectangle.
    struct SPlacement {
        QRect source;  // part of the bitmap that is copied
        QRect target;  // where it goes in the client rectangle
    };

    explicit BitmapPanel(QWidget* parent = nullptr);

    // Loads bitmap `resourceId` from the program's resources with the 3-D colours mapped and
    // repaints. The id is remembered even when nothing loads; false then, and the old picture
    // stays.
    bool LoadBitmap(int resourceId);
    int ResourceId() const { return m_resourceId; }
    bool HasBitmap() const { return !m_bitmap.isNull(); }
    const QImage& Bitmap() const { return m_bitmap; }

    void SetStretch(bool stretch);
    // Text drawn over the picture on one line: horizontal part left, centre or right; vertical
    // centre when Qt::AlignVCenter is given, else the top.
    void SetText(const QString& text);
    QString Text() const { return m_text; }
    void SetTextAlignment(Qt::Alignment alignment);

    // The copy rule: unscaled at the top-left corner while the client is within 10 pixels of
    // one more than the bitmap in both directions, else stretched (one column and row fewer).
    static SPlacement Place(QSize client, QSize bitmap, bool stretch);
    // Replaces the greys 128, 192 and 223 by the palette's shadow, face and light colours.
    static QImage MapSystemColours(const QImage& image, const QPalette& palette);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool m_stretch = false;
    QImage m_bitmap;
    int m_resourceId = -1;
    QString m_text;
    Qt::Alignment m_textAlignment = Qt::AlignLeft;
};

}  // namespace quillmarch
