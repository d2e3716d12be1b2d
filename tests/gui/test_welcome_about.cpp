// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <optional>
#include <string>

#include "core/job/RunContext.h"
#include "gui/app/AboutDialog.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"

using namespace quillmarch;
using namespace quillmarch::test;

class TestWelcomeAbout : public QObject {
    Q_OBJECT

private:
    static QString Text(QWidget& dialog, const char* name) {
        auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<missing %1>").arg(name);
    }

    FakeClock m_clock;
    RecordingMessageBox m_box;

private slots:
    void showsTheProgramVersionAndBuildDate() {
        RunContext app(m_clock, m_box);
        AboutDialog about(app);
        QCOMPARE(about.windowTitle(), QStringLiteral("About Quillmarch"));
        // The compiler's date form pads the day with a space: "Sep  5 2011".
        const QRegularExpression line(
            QStringLiteral("^Version: %1\\.0\nBuild Date: [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}$")
                .arg(QStringLiteral(QUILLMARCH_VERSION).replace(QLatin1Char('.'), "\\.")));
        QVERIFY2(line.match(Text(about, "versionLine")).hasMatch(),
                 qPrintable(Text(about, "versionLine")));
        QCOMPARE(Text(about, "noticeLine"),
                 QStringLiteral("Copyright (C) Tessary. All rights reserved."));
        QVERIFY2(Text(about, "licenceLine").contains(QStringLiteral("GPL-3.0-or-later")),
                 qPrintable(Text(about, "licenceLine")));
        QCOMPARE(about.findChild<QPushButton*>("okButton")->text(), QStringLiteral("OK"));
        QVERIFY(m_box.shown.empty());
    }

    void versionLineFollowsTheVersionData_data() {
        QTest::addColumn<bool>("hasVersion");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("boxes");
        // The version and the build date, each after its own label.
        QTest::newRow("four parts") << true << "6.1.2.3"
                                    << "Version: 6.1.2.3\nBuild Date: Sep  5 2011" << 0;
        QTest::newRow("missing parts are 0") << true << "6.1"
                                             << "Version: 6.1.0.0\nBuild Date: Sep  5 2011" << 0;
        QTest::newRow("no version data") << false << ""
                                         << "" << 0;
        QTest::newRow("unreadable version") << true << "beta"
                                            << "Version: -.-.-.-\nBuild Date: Sep  5 2011" << 1;
    }

    void versionLineFollowsTheVersionData() {
        QFETCH(bool, hasVersion);
        QFETCH(QString, version);
        QFETCH(QString, line);
        QFETCH(int, boxes);
        RunContext app(m_clock, m_box);
        m_box.shown.clear();
        const std::optional<std::string> data =
            hasVersion ? std::optional<std::string>(version.toStdString()) : std::nullopt;
        AboutDialog about(app, nullptr, data, "Sep  5 2011");
        QCOMPARE(Text(about, "versionLine"), line);
        QCOMPARE(int(m_box.shown.size()), boxes);
        if (boxes) {
            QCOMPARE(m_box.shown[0].text, std::string("File version not found."));
            QCOMPARE(m_box.shown[0].caption, std::string("Quillmarch"));
        }
        QCOMPARE(Text(about, "noticeLine"),
                 QStringLiteral("Copyright (C) Tessary. All rights reserved."));
    }

    void okCloses() {
        RunContext app(m_clock, m_box);
        AboutDialog about(app);
        about.show();
        QTest::mouseClick(about.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(about.result(), int(QDialog::Accepted));
        QVERIFY(!about.isVisible());
    }
};

QTEST_MAIN(TestWelcomeAbout)
#include "test_welcome_about.moc"
