// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QtTest>
#include <vector>

#include "gui/widgets/BitmapPanel.h"
#include "gui/widgets/PageLabel.h"

using namespace quillmarch;

namespace {

constexpr int kSidePanel = 172;

QImage Render(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Bounding box of the pixels that differ from `background`.
QRect Painted(const QImage& image, QRgb background) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace

class TestLabelBitmap : public QObject {
    Q_OBJECT

private slots:
    void placementCopiesUnscaledOnlyCloseToTheBitmapSize_data() {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<bool>("stretchFlag");
        QTest::addColumn<QRect>("source");
        QTest::addColumn<QRect>("target");
        const QRect unscaled(0, 0, 170, 267);
        QTest::newRow("side panel in 172 x 266")
            << QSize(172, 266) << false << unscaled << unscaled;
        QTest::newRow("10 wider still unscaled")
            << QSize(182, 267) << false << unscaled << unscaled;
        QTest::newRow("11 wider stretched")
            << QSize(183, 267) << false << QRect(0, 0, 170, 266) << QRect(0, 0, 183, 267);
        QTest::newRow("20 wider stretched")
            << QSize(192, 266) << false << QRect(0, 0, 170, 266) << QRect(0, 0, 192, 266);
        QTest::newRow("much lower stretched")
            << QSize(172, 200) << false << QRect(0, 0, 170, 266) << QRect(0, 0, 172, 200);
        QTest::newRow("stretch flag")
            << QSize(172, 268) << true << QRect(0, 0, 170, 266) << QRect(0, 0, 172, 268);
    }

    void placementCopiesUnscaledOnlyCloseToTheBitmapSize() {
        QFETCH(QSize, client);
        QFETCH(bool, stretchFlag);
        QFETCH(QRect, source);
        QFETCH(QRect, target);
        const auto place = BitmapPanel::Place(client, QSize(171, 267), stretchFlag);
        QCOMPARE(place.source, source);
        QCOMPARE(place.target, target);
    }

    void sidePanelIsCopiedWithoutItsLastColumn() {
        BitmapPanel panel;
        QVERIFY(panel.LoadBitmap(kSidePanel));
        QCOMPARE(panel.Bitmap().size(), QSize(171, 267));
        panel.resize(172, 266);
        const QImage shown = Render(panel);
        const QImage& bitmap = panel.Bitmap();
        for (int y : {0, 100, 265})
            for (int x : {0, 85, 169}) QCOMPARE(shown.pixel(x, y), bitmap.pixel(x, y));
        const QRgb face = panel.palette().color(QPalette::Button).rgb();
        QCOMPARE(shown.pixel(170, 100), face);
        QCOMPARE(shown.pixel(171, 100), face);
    }

    void widerPanelIsStretchedOverTheWholeControl() {
        BitmapPanel panel;
        panel.LoadBitmap(kSidePanel);
        panel.resize(192, 266);
        const QImage shown = Render(panel);
        const QImage& bitmap = panel.Bitmap();
        QCOMPARE(shown.pixel(0, 0), bitmap.pixel(0, 0));
        QCOMPARE(shown.pixel(191, 265), bitmap.pixel(169, 265));
        // The panel's edge column (bitmap column 170) is never part of a stretched copy.
        const QRgb edge = bitmap.pixel(170, 100);
        for (int x = 180; x < 192; ++x) QVERIFY(shown.pixel(x, 100) != edge);
    }

    void panelWithoutBitmapShowsTheFaceColour() {
        BitmapPanel panel;
        panel.resize(40, 30);
        QVERIFY(!panel.HasBitmap());
        QCOMPARE(Painted(Render(panel), panel.palette().color(QPalette::Button).rgb()), QRect());
    }

    void unknownBitmapKeepsThePictureButRemembersTheId() {
        BitmapPanel panel;
        QVERIFY(panel.LoadBitmap(193));
        QCOMPARE(panel.Bitmap().size(), QSize(16, 15));
        QVERIFY(!panel.LoadBitmap(9999));
        QCOMPARE(panel.ResourceId(), 9999);
        QCOMPARE(panel.Bitmap().size(), QSize(16, 15));
    }

    void newSystemColoursRemapTheBitmap() {
        BitmapPanel panel;
        panel.LoadBitmap(kSidePanel);  // its last column is the grey that follows the shadow
        QCOMPARE(panel.Bitmap().pixel(170, 50), panel.palette().color(QPalette::Dark).rgb());
        QPalette colours = panel.palette();
        colours.setColor(QPalette::Dark, QColor(10, 200, 30));
        panel.setPalette(colours);
        QCOMPARE(panel.Bitmap().pixel(170, 50), qRgb(10, 200, 30));
        QCOMPARE(panel.ResourceId(), kSidePanel);
    }

    void blankAndTickSquaresDiffer() {
        BitmapPanel tick;
        BitmapPanel blank;
        QVERIFY(tick.LoadBitmap(193));
        QVERIFY(blank.LoadBitmap(194));
        QCOMPARE(blank.Bitmap().size(), tick.Bitmap().size());
        QVERIFY(tick.Bitmap() != blank.Bitmap());
        // Both are framed in the grey that follows the 3-D shadow colour.
        QCOMPARE(blank.Bitmap().pixel(0, 0), blank.palette().color(QPalette::Dark).rgb());
    }

    void textIsDrawnOverThePictureWhereTheAlignmentSays_data() {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<bool>("atLeft");
        QTest::addColumn<bool>("atRight");
        QTest::addColumn<bool>("vertical");
        QTest::newRow("left, top") << int(Qt::AlignLeft) << true << false << false;
        QTest::newRow("right") << int(Qt::AlignRight) << false << true << false;
        QTest::newRow("centre, vertical centre")
            << int(Qt::AlignHCenter | Qt::AlignVCenter) << false << false << true;
    }

    void textIsDrawnOverThePictureWhereTheAlignmentSays() {
        QFETCH(int, alignment);
        QFETCH(bool, atLeft);
        QFETCH(bool, atRight);
        QFETCH(bool, vertical);
        BitmapPanel panel;
        panel.resize(240, 60);
        panel.SetText(QStringLiteral("WWW"));
        panel.SetTextAlignment(Qt::Alignment(alignment));
        const QRect text = Painted(Render(panel), panel.palette().color(QPalette::Button).rgb());
        QVERIFY(!text.isEmpty());
        QCOMPARE(text.left() < 20, atLeft);
        QCOMPARE(text.right() > 220, atRight);
        QCOMPARE(text.top() > 10, vertical);
    }

    void labelStartsWithTheSystemColoursAndFont() {
        PageLabel label;
        QCOMPARE(label.font(), QApplication::font());
        QCOMPARE(label.TextColor(), label.palette().color(QPalette::WindowText));
        QCOMPARE(label.palette().color(QPalette::Window), label.palette().color(QPalette::Button));
        QVERIFY(label.autoFillBackground());
    }

    void labelTextColourTakesEffectAtOnceOnTheFaceColour() {
        PageLabel label;
        label.resize(200, 30);
        PageLabel& chained = label.SetText(QStringLiteral("Warning: WWW")).SetTextColor(Qt::red);
        QCOMPARE(&chained, &label);
        QCOMPARE(label.text(), QStringLiteral("Warning: WWW"));
        QCOMPARE(label.TextColor(), QColor(Qt::red));
        const QImage shown = Render(label);
        const QRgb face = label.palette().color(QPalette::Button).rgb();
        QCOMPARE(shown.pixel(199, 29), face);
        bool red = false;
        for (int y = 0; y < shown.height() && !red; ++y)
            for (int x = 0; x < shown.width() && !red; ++x)
                red = qRed(shown.pixel(x, y)) > 200 && qGreen(shown.pixel(x, y)) < 60;
        QVERIFY(red);
    }

    void onlyANotifyingLabelOpensItsTextWhenClicked() {
        PageLabel label;
        label.SetText(QStringLiteral("www.example.com"));
        std::vector<QUrl> opened;
        label.SetOpener([&](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
        QTest::mouseClick(&label, Qt::LeftButton);
        QVERIFY(opened.empty());
        label.SetNotify(true);
        QTest::mouseClick(&label, Qt::RightButton);
        QVERIFY(opened.empty());
        QTest::mouseClick(&label, Qt::LeftButton);
        QCOMPARE(opened.size(), size_t(1));
        QCOMPARE(opened[0], QUrl(QStringLiteral("http://www.example.com")));
    }
};

QTEST_MAIN(TestLabelBitmap)
#include "test_label_bitmap.moc"
