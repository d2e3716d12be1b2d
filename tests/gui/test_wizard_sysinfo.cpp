// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The system information page against the system simulator: the facts table, the settings
// read into the job, Back with its disconnect, and where Next leads.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QtTest/QtTest>
#include <filesystem>
#include <map>

#include "support/SimulatorProcess.h"
#include "support/WizardHarness.h"

using namespace quillmarch;
using namespace quillmarch::test;

namespace {

using Files = std::map<std::string, std::string>;
// A file content that means: the system has no such file.
const std::string kRemove = "<removed>";

// Connects through the wizard and stops on the system information page.
std::unique_ptr<WizardSheet> OnSystemInfoPage(SWizardApp& f, const SimulatorProcess& sim) {
    auto sheet = StartSheet(f);
    if (!Press(*sheet, QWizard::NextButton)) return nullptr;
    QWidget* page = sheet->ActivePage();
    Find<QComboBox>(page, "comboAddress")->setEditText(QString::fromStdString(sim.Address()));
    Find<QLineEdit>(page, "editPassword")->setText(QString::fromStdString(sim.Password()));
    if (!Press(*sheet, QWizard::NextButton)) return nullptr;
    if (ActivePageName(*sheet) != "pageSystemInfo") return nullptr;
    return sheet;
}

QStringList Column(const WizardSheet& sheet, int column) {
    auto* list = Find<QTreeWidget>(sheet.ActivePage(), "listFacts");
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

int Downloads(const SimulatorProcess& sim, const std::string& name) {
    int count = 0;
    for (const auto& record : sim.Events("download")) count += record.value("name", "") == name;
    return count;
}

}  // namespace

class TestWizardSysInfo : public QObject {
    Q_OBJECT

private slots:
    void factsTableShowsNineRows() {
        SimulatorProcess sim;
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        QVERIFY(sim.PutFile("sysname.dat", "Room #1 (East)"));
        QVERIFY(sim.PutFile("interface.dat", "  LAN\r\n"));
        std::filesystem::remove(std::filesystem::path(sim.StateDir()) / "natoutside.dat");
        SWizardApp f;
        auto sheet = OnSystemInfoPage(f, sim);
        QVERIFY(sheet);

        QCOMPARE(Column(*sheet, 0),
                 QStringList({"System Name", "Model", "IP Address", "WAN Address", "Interface",
                              "Serial Number", "Number 1", "Number 2", "SW Version"}));
        // Punctuation becomes blanks after trimming; a missing file leaves its row empty.
        QCOMPARE(Column(*sheet, 1), QStringList({"Room  1  East ", "KDV 18", "127.0.0.1", "", "LAN",
                                                 "SN12345678", "5551000", "5551001", "9.0.5"}));
        const QString update = QString::fromStdString(
            f.app.m_imageCatalogue.GetEntry("MainSoftware", "Version", nullptr));
        QVERIFY(!update.isEmpty());
        QCOMPARE(Column(*sheet, 2), QStringList({"", "", "", "", "", "", "", "", update}));
        QCOMPARE(f.app.Job().target.systemName, std::string("Room  1  East "));

        // One title for the whole wizard.
        QCOMPARE(sheet->windowTitle(), QString::fromStdString(f.app.LoadUiString(15, "")));
        QVERIFY(sheet->Button(QWizard::BackButton)->isVisible());
        QVERIFY(sheet->Button(QWizard::BackButton)->isEnabled());
        QVERIFY(sheet->Button(QWizard::NextButton)->isEnabled());
        auto* list = Find<QTreeWidget>(sheet->ActivePage(), "listFacts");
        // The version to install is shown whole, without scrolling sideways.
        QVERIFY(list->columnWidth(2) >= list->fontMetrics().horizontalAdvance(update));
        QVERIFY(!list->horizontalScrollBar()->isVisible());
    }

    // The settings files, as the system holds them, and what the job makes of them.
    void settingsAreReadIntoTheJob_data() {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QStringList>("expected");
        // dhcp, aspect16x9, pal, 1024, output, secure, roomForRemote, gateway, mask, ip, room
        QTest::newRow("as seeded")
            << Files{}
            << QStringList{
                   "1",         "0", "0", "0", "2", "0", "1", "127.0.0.254", "255.255.255.0",
                   "127.0.0.1", ""};
        QTest::newRow("other letter case, trailing line ends")
            << Files{{"dhcp_flg.dat", "off"},
                     {"monitor1display.dat", "16:9\n"},
                     {"cameratype.dat", "pal"},
                     {"vgaresolution.dat", "60hz1024X768\r\n"},
                     {"monitoroutputsignal.dat", "vga"},
                     {"securemode.dat", "TRUE \n"},
                     {"useroompassword.dat", "false"},
                     {"defaultgateway.dat", " 10.0.0.1 \n"},
                     {"roomsw.dat", "pw 1\t\n"}}
            << QStringList{
                   "0",         "1",   "1", "1", "2", "1", "0", " 10.0.0.1", "255.255.255.0",
                   "127.0.0.1", "pw 1"};
        QTest::newRow("other values")
            << Files{{"dhcp_flg.dat", "Off\n"},
                     {"cameratype.dat", "NTSC"},
                     {"vgaresolution.dat", "75HZ1024x768"},
                     {"monitoroutputsignal.dat", "Composite"},
                     {"useroompassword.dat", "no"}}
            << QStringList{
                   "0",         "0", "0", "1", "0", "0", "1", "127.0.0.254", "255.255.255.0",
                   "127.0.0.1", ""};
        QTest::newRow("missing files")
            << Files{{"dhcp_flg.dat", kRemove},
                     {"monitor1display.dat", kRemove},
                     {"cameratype.dat", kRemove},
                     {"vgaresolution.dat", kRemove},
                     {"monitoroutputsignal.dat", kRemove},
                     {"securemode.dat", kRemove},
                     {"useroompassword.dat", kRemove},
                     {"defaultgateway.dat", kRemove},
                     {"subnetmask.dat", kRemove},
                     {"ipaddress.dat", kRemove},
                     {"roomsw.dat", kRemove}}
            << QStringList{"1", "0", "1", "0", "1", "0", "1", "", "", "", ""};
    }
    void settingsAreReadIntoTheJob() {
        QFETCH(Files, files);
        QFETCH(QStringList, expected);
        SimulatorProcess sim;
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        for (const auto& [name, content] : files) {
            if (content == kRemove)
                std::filesystem::remove(std::filesystem::path(sim.StateDir()) / name);
            else
                QVERIFY(sim.PutFile(name, content));
        }
        SWizardApp f;
        // Start from the opposite of the defaults, so every field must be written.
        f.app.Job().lan.dhcpWanted = f.app.Job().lan.dhcpCurrent = false;
        f.app.Job().display.palWanted = f.app.Job().display.palCurrent = true;
        f.app.Job().security.useRoomForRemote = false;
        f.app.Job().display.videoOutput = 2;
        f.app.Job().security.roomPassword = "stale";
        auto sheet = OnSystemInfoPage(f, sim);
        QVERIFY(sheet);
        const RunContext& job = f.app;
        const auto flag = [](bool b) { return QString(b ? "1" : "0"); };
        const QStringList got{flag(job.Job().lan.dhcpWanted),
                              flag(job.Job().display.aspect16x9),
                              flag(job.Job().display.palWanted),
                              flag(job.Job().display.resolution1024),
                              QString::number(job.Job().display.videoOutput),
                              flag(job.Job().security.secureModeWanted),
                              flag(job.Job().security.useRoomForRemote),
                              QString::fromStdString(job.Job().lan.defaultGateway),
                              QString::fromStdString(job.Job().lan.subnetMask),
                              QString::fromStdString(job.Job().lan.ipAddress),
                              QString::fromStdString(job.Job().security.roomPassword)};
        QCOMPARE(got, expected);
        // The "current" copies follow the same files.
        QCOMPARE(job.Job().lan.dhcpCurrent, job.Job().lan.dhcpWanted);
        QCOMPARE(job.Job().display.palCurrent, job.Job().display.palWanted);
        QCOMPARE(job.Job().security.secureModeCurrent, job.Job().security.secureModeWanted);
    }

    // Back closes the link; connecting again creates the page anew, so it reads again.
    void backDisconnectsAndReconnectingReadsAgain() {
        SimulatorProcess sim;
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        auto sheet = OnSystemInfoPage(f, sim);
        QVERIFY(sheet);
        QVERIFY(f.app.Job().lan.dhcpCurrent);
        QTRY_COMPARE(Downloads(sim, "dhcp_flg.dat"), 1);

        QVERIFY(Press(*sheet, QWizard::BackButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageIPAddress"));
        QVERIFY(!f.app.m_link->IsLoggedOn());
        // The facts page left the walk; Back from here would return to the note.
        QCOMPARE(sheet->visitedIds(), QList<int>({0, 1}));
        QVERIFY(sheet->Button(QWizard::BackButton)->isVisible());

        QVERIFY(sim.PutFile("dhcp_flg.dat", "Off"));
        auto* password = Find<QLineEdit>(sheet->ActivePage(), "editPassword");
        QVERIFY(password->text().isEmpty());  // cleared, since the job holds an address now
        password->setText(QString::fromStdString(sim.Password()));
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageSystemInfo"));
        QTRY_COMPARE(Downloads(sim, "dhcp_flg.dat"), 2);
        QVERIFY(!f.app.Job().lan.dhcpCurrent);
        QCOMPARE(Column(*sheet, 0).size(), 9);
    }

    void cancelDisconnects() {
        SimulatorProcess sim;
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        auto sheet = OnSystemInfoPage(f, sim);
        QVERIFY(sheet);
        QVERIFY(Press(*sheet, QWizard::CancelButton));
        QCOMPARE(sheet->result(), int(QDialog::Rejected));
        QVERIFY(!f.app.m_link->IsLoggedOn());
    }

    void nextDependsOnTheModel_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("next");
        QTest::newRow("first model") << 0 << "pageSoftwareUpgrade";
        QTest::newRow("other model") << 9 << "pageUpgradeType";
    }
    void nextDependsOnTheModel() {
        QFETCH(int, model);
        QFETCH(QString, next);
        SSimOptions options;
        options.model = model;
        SimulatorProcess sim(options);
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        f.app.m_imagePresent[0] = true;  // the sample pack lacks the first model's image
        auto sheet = OnSystemInfoPage(f, sim);
        QVERIFY(sheet);
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), next);
        QCOMPARE(sheet->GetPageCount(), 4);
    }
};

QTEST_MAIN(TestWizardSysInfo)
#include "test_wizard_sysinfo.moc"
