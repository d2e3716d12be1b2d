// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The welcome dialog on a high-DPI screen: at scale factor 2 it must still fit a screen
// 1600 pixels wide (the version beside its label once made it 1622).

#include <QGroupBox>
#include <QLabel>
#include <QtTest>
#include <filesystem>

#include "core/job/RunContext.h"
#include "gui/app/WelcomeDialog.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"

using namespace quillmarch;
using namespace quillmarch::test;

class TestWelcomeScale : public QObject {
    Q_OBJECT

private slots:
    void fitsA1600PixelScreenAtScaleTwo() {
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        FakeClock clock;
        RecordingMessageBox box;
        RunContext app(clock, box);
        app.m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
        app.BuildCatalogue();
        app.OpenImagePack();  // the sample pack: every model has an image, the longest list
        WelcomeDialog dialog(app);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const auto* version = dialog.findChild<QLabel*>("versionText");
        QVERIFY(version && !version->text().isEmpty());
        const double pixels = dialog.frameGeometry().width() * dialog.devicePixelRatioF();
        qInfo("welcome dialog: %.0f device pixels wide", pixels);
        QVERIFY2(pixels <= 1600, qPrintable(QString::number(pixels)));
        // Nothing is cut: the version and the models fit their labels.
        QVERIFY(version->width() >= version->minimumSizeHint().width());
        const auto* models = dialog.findChild<QLabel*>("modelsText");
        QVERIFY(models->height() >= models->heightForWidth(models->width()));
    }
};

int main(int argc, char** argv) {
    // Before the application exists: Qt reads the factor once.
    qputenv("QT_SCALE_FACTOR", "2");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    TestWelcomeScale test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_welcome_scale.moc"
