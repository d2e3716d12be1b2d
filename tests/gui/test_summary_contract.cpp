// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The summary is a promise: a Custom walk through every page, the summary's values read off
// the page, the update run against the simulator, and the simulator's journal compared with
// what the summary said, value by value.

#include <QRegularExpression>
#include <QtTest/QtTest>

#include "gui/progress/GuiRun.h"
#include "gui/support/EveryPageWalk.h"

using namespace quillmarch;
using namespace quillmarch::test;

namespace {

// The first capture of `pattern` in `text`; empty when it does not match.
QStringList Captured(const QString& text, const QString& pattern) {
    const QRegularExpressionMatch match = QRegularExpression(pattern).match(text);
    return match.hasMatch() ? match.capturedTexts().mid(1) : QStringList();
}

std::map<std::string, std::string> Applied(const SimulatorProcess& sim) {
    std::map<std::string, std::string> settings;
    const auto events = sim.Events("provisioned");
    if (events.empty()) return settings;
    for (const auto& [key, value] : events.back()["settings"].items())
        settings[key] = value.get<std::string>();
    return settings;
}

}  // namespace

class TestSummaryContract : public QObject {
    Q_OBJECT

private slots:
    void customWalkDoesWhatTheSummarySays() {
        SSimOptions options;
        options.model = 11;
        SimulatorProcess sim(options);
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f(0.01);
        auto sheet = StartSheet(f);
        const QStringList pages = WalkToSummary(*sheet, EveryPageWalk(sim));
        QCOMPARE(ActivePageName(*sheet), QString("pageResults"));
        for (const char* page : {"pageSoftwareUpgrade", "pageChangeSettings", "pageNetworkSettings",
                                 "pageSecureMode", "pageDisplaySettings"})
            QVERIFY2(pages.contains(page), qPrintable(pages.join(' ')));
        QWidget* summary = sheet->ActivePage();
        const auto detail = [summary](const char* name) {
            auto* label = Find<QLabel>(summary, name);
            return label->isHidden() ? QString() : label->text();
        };
        const QString update = detail("detailUpdate");
        const QString lan = detail("detailLan");
        const QString security = detail("detailSecurity");
        const QString display = detail("detailDisplay");
        QVERIFY(detail("detailErase").isEmpty());   // not chosen: not listed
        QVERIFY(!update.contains("Sample Sites"));  // unticked on the retained-data page
        QVERIFY(!security.contains("Room-77") && !security.contains("Far-88"));
        QCOMPARE(sheet->Button(QWizard::FinishButton)->text(), QString("&Update"));

        QVERIFY(Press(*sheet, QWizard::FinishButton));
        sheet.reset();
        QVERIFY(RunUpdateWithProgressWindow(f.app, nullptr, {}));

        // The image and its version.
        const QStringList image = Captured(update, "Sends the image (\\S+), version (.+?)\\. ");
        QCOMPARE(image.size(), 2);
        const auto installed = sim.Events("installed");
        QVERIFY(!installed.empty());
        QCOMPARE(QString::fromStdString(installed.back().value("version", "")), image[1]);
        // The LAN addresses.
        const QStringList lanValues =
            Captured(lan, "Fixed address (\\S+), subnet mask (\\S+), default gateway (\\S+)\\.");
        QCOMPARE(lanValues.size(), 3);
        std::map<std::string, std::string> settings = Applied(sim);
        QCOMPARE(QString::fromStdString(settings["dhcp_flg"]), QString("Off"));
        QCOMPARE(QString::fromStdString(settings["ipaddress"]), lanValues[0]);
        QCOMPARE(QString::fromStdString(settings["subnetmask"]), lanValues[1]);
        QCOMPARE(QString::fromStdString(settings["defaultgateway"]), lanValues[2]);
        // The security mode and which passwords change (never the passwords themselves).
        QVERIFY(security.startsWith("Security mode on."));
        QCOMPARE(settings["securemode"], std::string("True"));
        QVERIFY(security.contains("room password and the remote password change"));
        QCOMPARE(settings["roomsw"], std::string("Room-77"));
        QCOMPARE(settings["sw"], std::string("Far-88"));
        QCOMPARE(settings["useroompassword"], std::string("False"));
        QVERIFY(security.contains("removes once the system has applied it"));
        QVERIFY(sim.ReadFile("quillmarchprovision.dat").empty());
        // The display choices.
        const QStringList shown =
            Captured(display, "Monitor (\\S+), camera (\\S+), VGA (\\S+), output (\\S+)\\.");
        QCOMPARE(shown.size(), 4);
        QCOMPARE(QString::fromStdString(settings["monitor1display"]), shown[0]);
        QCOMPARE(QString::fromStdString(settings["cameratype"]), shown[1]);
        QCOMPARE(QString::fromStdString(settings["vgaresolution"]), "60HZ" + shown[2]);
        QCOMPARE(QString::fromStdString(settings["monitoroutputsignal"]), shown[3]);
        // Nothing the summary did not list.
        for (const auto& command : sim.Events("command"))
            QVERIFY(command.value("line", "") != "ERFL");
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == "progressDialog") widget->close();
        }
    }
};

QTEST_MAIN(TestSummaryContract)
#include "test_summary_contract.moc"
