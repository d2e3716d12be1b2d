// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One wizard walk per settings group against the system simulator, from the connection page
// through the settings pages to Finish and the update run: the simulator ends up holding the
// provisioning file with the group's settings lines and applies it at its restart.
//
// With QUILLMARCH_SCREENSHOT_DIR set, the settings pages are also saved there as PNGs (after
// the operator's input, before Next), as scripts/screenshots-wizard.sh does.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest/QtTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "gui/progress/GuiRun.h"
#include "gui/widgets/AddressControl.h"
#include "gui/widgets/AddressFieldEdit.h"
#include "support/SimulatorProcess.h"
#include "support/WizardHarness.h"

using namespace quillmarch;
using namespace quillmarch::test;

namespace {

using PageAction = std::function<void(QWidget* page)>;

// Custom, settings only: the update type and task choice every group walks through.
std::map<QString, PageAction> SettingsOnlyWalk(const SimulatorProcess& sim) {
    return {
        {"pageIPAddress",
         [&sim](QWidget* page) {
             Find<QComboBox>(page, "comboAddress")
                 ->setEditText(QString::fromStdString(sim.Address()));
             Find<QLineEdit>(page, "editPassword")->setText(QString::fromStdString(sim.Password()));
         }},
        {"pageUpgradeType", [](QWidget* page) { Click(page, "radioCustom"); }},
        {"pageUpgradeChoice",
         [](QWidget* page) {
             Click(page, "checkUpdateSoftware");
             Click(page, "checkChangeSettings");
         }},
    };
}

void AddGroupActions(const QString& group, std::map<QString, PageAction>& actions) {
    if (group == "lan") {
        actions["pageNetworkSettings"] = [](QWidget* page) {
            Click(page, "radioManual");
            Find<AddressControl>(page, "ipAddress")->SetDottedText("192.168.7.20");
            auto* gateway = Find<AddressControl>(page, "ipGateway");
            for (int field = 1; field <= 4; ++field) gateway->Field(field)->clear();
        };
    } else if (group == "security") {
        // The simulator reports its security mode (off), so the box is offered.
        actions["pageChangeSettings"] = [](QWidget* page) { Click(page, "checkSecureMode"); };
        actions["pageSecureMode"] = [](QWidget* page) {
            Find<QLineEdit>(page, "editRoom")->setText("Room-77");
            Find<QLineEdit>(page, "editRoomConfirm")->setText("Room-77");
        };
    } else if (group == "display") {
        actions["pageChangeSettings"] = [](QWidget* page) { Click(page, "checkDisplay"); };
        actions["pageDisplaySettings"] = [](QWidget* page) {
            Click(page, "radioComposite");
            Click(page, "radioPal");
            Click(page, "radio16x9");
        };
    }
}

// "pageChangeSettings" -> "wizard-change-settings.png" in the screenshot folder, if one is set.
void SaveScreenshot(QWidget* window, const QString& pageName) {
    const QString dir = qEnvironmentVariable("QUILLMARCH_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    QString stem = pageName.mid(4);
    stem.replace(QRegularExpression("(?<=[a-z])([A-Z])"), "-\\1");
    QDir().mkpath(dir);
    window->grab().save(dir + "/wizard-" + stem.toLower() + ".png");
}

// Runs each page's action and presses Next up to the summary; the pages seen, in order. The
// pages named in `shoot` are photographed.
QStringList WalkToSummary(WizardSheet& sheet, const std::map<QString, PageAction>& actions,
                          const QStringList& shoot) {
    QStringList pages;
    for (int step = 0; step < 12 && ActivePageName(sheet) != "pageResults"; ++step) {
        const QString name = ActivePageName(sheet);
        pages << name;
        const auto action = actions.find(name);
        if (action != actions.end()) action->second(sheet.ActivePage());
        if (shoot.contains(name)) SaveScreenshot(&sheet, name);
        if (!Press(sheet, QWizard::NextButton)) break;
    }
    return pages;
}

// Everything the program wrote into its working folder (the wizard's and the run's logs).
std::string FolderText(const std::filesystem::path& folder) {
    std::string all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        all.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return all;
}

void CloseFinishedProgressWindows() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() != "progressDialog" || !widget->isVisible()) continue;
        if (auto* ok = widget->findChild<QPushButton*>("okButton"); ok && ok->isEnabled())
            ok->click();
        else
            widget->close();
    }
}

}  // namespace

class TestSettingsRun : public QObject {
    Q_OBJECT

private slots:
    void walkSendsTheGroupsSettings_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("settingsPage");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QStringList>("shoot");
        QTest::newRow("LAN on a LAN-only model")
            << 9 << "lan"
            << "pageNetworkSettings"
            << "dhcp_flg,Off\ndefaultgateway,\"\"\nsubnetmask,255.255.255.0\n"
               "ipaddress,192.168.7.20\n"
            << QStringList{"pageNetworkSettings"};
        QTest::newRow("security mode switched on")
            << 11 << "security"
            << "pageSecureMode"
            << "securemode,True\nsw,Room-77\nuseroompassword,True\nroomsw,Room-77\n"
            << QStringList{"pageSecureMode"};
        QTest::newRow("display") << 12 << "display"
                                 << "pageDisplaySettings"
                                 << "monitor1display,16:9\ncameratype,PAL\n"
                                    "vgaresolution,60HZ800x600\nmonitoroutputsignal,Composite\n"
                                 << QStringList{"pageChangeSettings", "pageDisplaySettings"};
    }
    void walkSendsTheGroupsSettings() {
        QFETCH(int, model);
        QFETCH(QString, group);
        QFETCH(QString, settingsPage);
        QFETCH(QString, lines);
        QFETCH(QStringList, shoot);
        SSimOptions options;
        options.model = model;
        SimulatorProcess sim(options);
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f(0.01);  // waits that outlast the simulator's restarts on a loaded machine too
        auto actions = SettingsOnlyWalk(sim);
        AddGroupActions(group, actions);
        auto sheet = StartSheet(f);

        const QStringList pages = WalkToSummary(*sheet, actions, shoot);
        QCOMPARE(ActivePageName(*sheet), QString("pageResults"));
        QVERIFY2(pages.contains(settingsPage), qPrintable(pages.join(' ')));
        QVERIFY(Press(*sheet, QWizard::FinishButton));
        sheet.reset();
        QVERIFY(RunUpdateWithProgressWindow(f.app, nullptr, {}));
        CloseFinishedProgressWindows();

        bool flagSent = false;
        for (const auto& upload : sim.Events("upload"))
            flagSent = flagSent || upload.value("name", "") == "doprovision.dat";
        QVERIFY(flagSent);
        QVERIFY(sim.WaitForEvent("provisioned", "", std::chrono::seconds(20)));
        // What the system applied, line for line.
        QString applied;
        const auto provisioned = sim.Events("provisioned");
        for (const auto& [key, value] : provisioned.back()["settings"].items()) {
            const std::string text = value.get<std::string>();
            applied += QString::fromStdString(key + "," + (text.empty() ? "\"\"" : text) + "\n");
        }
        QStringList appliedLines = applied.split('\n', Qt::SkipEmptyParts);
        QStringList wantedLines = lines.split('\n', Qt::SkipEmptyParts);
        appliedLines.sort();
        wantedLines.sort();
        QCOMPARE(appliedLines, wantedLines);
        // A file with a password goes once it was applied; other settings files stay.
        const bool password = lines.contains("\nsw,");
        QCOMPARE(sim.ReadFile("quillmarchprovision.dat").empty(), password);
        QCOMPARE(sim.ReadFile("provisionurl.dat").empty(), password);
        if (!password)
            QCOMPARE(QString::fromStdString(sim.ReadFile("quillmarchprovision.dat")), lines);
        const std::string logs = FolderText(f.dir.Path());
        QVERIFY(logs.find("quillmarchprovision") != std::string::npos);  // the run was logged
        QVERIFY(logs.find("Room-77") == std::string::npos);              // the password was not
    }
};

QTEST_MAIN(TestSettingsRun)
#include "test_settings_run.moc"
