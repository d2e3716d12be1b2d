// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The settings pages (choice, LAN, security, display): what they show, what they refuse,
// which page Next adds, and the settings lines the job values they write turn into.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/provisioning/ProvisioningWriter.h"
#include "gui/widgets/AddressControl.h"
#include "gui/widgets/AddressFieldEdit.h"
#include "gui/wizard/pages/LanSettingsPage.h"
#include "support/ModalAnswer.h"
#include "support/SimulatorProcess.h"
#include "support/WizardHarness.h"

using namespace quillmarch;
using namespace quillmarch::test;

namespace {

const QString kNoteOn =
    "Please note that enabling security mode will only allow secured access to this system.";
const QString kNoteOff =
    "Please note that disabling security mode will allow unsecured access to this system.";
const QString kMismatch =
    "The passwords you typed do not match. Please retype the new password in both boxes.";
const QString kDefaultPassword =
    "A password for security mode may not be empty, the current password or the system's "
    "serial number. To keep the current password, go Back and leave security mode as it is.";
const QString kLanWarning =
    "Warning: Changing these settings may cause a loss of network connectivity.";

// '1' for each named control that is not hidden.
QString Shown(QWidget* page, std::initializer_list<const char*> names) {
    QString flags;
    for (const char* name : names) flags += Find<QWidget>(page, name)->isHidden() ? '0' : '1';
    return flags;
}

QString Lines(RunContext& app) {
    app.Job().options.provision.clear();
    app.Job().tasks.changeSettings = true;
    ProvisioningWriter(app.Job()).CollectSettingsLines();
    return QString::fromStdString(app.Job().options.provision);
}

// Everything the program wrote into its working folder (the wizard's log files).
std::string FolderText(const std::filesystem::path& folder) {
    std::string all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        all += text.str();
    }
    return all;
}

// Connects through the wizard to the simulator and stops on the system information page.
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

void SetPasswords(QWidget* page, const QStringList& texts) {
    const char* names[] = {"editRoom", "editRoomConfirm", "editRemote", "editRemoteConfirm"};
    for (int i = 0; i < 4; ++i) Find<QLineEdit>(page, names[i])->setText(texts[i]);
}

// A LAN-only model whose system reports fixed addresses (10.0.0.5/24 via 10.0.0.1).
void SetManualLanOnLanOnlyModel(SWizardApp& f) {
    f.app.Job().target.systemType = 9;
    f.app.Job().lan.dhcpWanted = f.app.Job().lan.dhcpCurrent = false;
    f.app.Job().lan.ipAddress = "10.0.0.5";
    f.app.Job().lan.subnetMask = "255.255.255.0";
    f.app.Job().lan.defaultGateway = "10.0.0.1";
}

}  // namespace

class TestSettingsPages : public QObject {
    Q_OBJECT

private slots:
    // The job as the choice page finds it, what it shows, and where Next leads.
    void choicePage_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("job");    // LAN, display, security wanted, security now
        QTest::addColumn<bool>("reported");  // the system told its security mode
        QTest::addColumn<QString>("shown");  // LAN, security, display, note
        QTest::addColumn<bool>("next");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("nextPage");
        QTest::newRow("display kept off a plain model")
            << 5 << "0100" << false << "1000" << false << ""
            << "";
        QTest::newRow("display model") << 11 << "0100" << false << "1010" << true << ""
                                       << "pageDisplaySettings";
        QTest::newRow("LAN first") << 12 << "1100" << false << "1010" << true << ""
                                   << "pageNetworkSettings";
        QTest::newRow("security to switch on")
            << 12 << "0010" << true << "1111" << true << kNoteOn << "pageSecureMode";
        QTest::newRow("security to switch off")
            << 5 << "0001" << true << "1101" << true << kNoteOff << "pageResults";
        QTest::newRow("security kept on") << 11 << "0011" << true << "1110" << false << ""
                                          << "";
        QTest::newRow("security mode not reported")
            << 12 << "0010" << false << "1010" << false << ""
            << "";
    }
    void choicePage() {
        QFETCH(int, model);
        QFETCH(QString, job);
        QFETCH(bool, reported);
        QFETCH(QString, shown);
        QFETCH(bool, next);
        QFETCH(QString, note);
        QFETCH(QString, nextPage);
        SWizardApp f;
        f.app.Job().target.systemType = model;
        f.app.Job().lan.changeLan = job[0] == '1';
        f.app.Job().display.changeDisplay = job[1] == '1';
        f.app.Job().security.secureModeWanted = job[2] == '1';
        f.app.Job().security.secureModeCurrent = job[3] == '1';
        auto sheet = StartSheet(f);
        sheet->SetSecureModeReported(reported);
        QWidget* page = OpenPage(*sheet, 6);
        QVERIFY(page);
        QCOMPARE(Find<QLabel>(page, "labelHeading")->text(),
                 QString("Please select the settings you wish to change."));
        QCOMPARE(Shown(page, {"checkLan", "checkSecureMode", "checkDisplay", "labelSecurityNote"}),
                 shown);
        QCOMPARE(Find<QCheckBox>(page, "checkDisplay")->isChecked(),
                 shown[2] == '1' && job[1] == '1');
        QCOMPARE(sheet->Button(QWizard::NextButton)->isEnabled(), next);
        if (!note.isEmpty()) QCOMPARE(Find<QLabel>(page, "labelSecurityNote")->text(), note);
        if (!next) return;
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), nextPage);
        QCOMPARE(f.app.Job().display.changeDisplay, shown[2] == '1' && job[1] == '1');
        QCOMPARE(f.app.Job().security.secureModeWanted, job[2] == '1');
    }

    // Every click on a box decides the Next button again.
    void choicePageClicksDecideNext() {
        SWizardApp f;
        f.app.Job().target.systemType = 11;
        auto sheet = StartSheet(f);
        QWidget* page = OpenPage(*sheet, 6);
        QVERIFY(page);
        QPushButton* next = sheet->Button(QWizard::NextButton);
        QVERIFY(!next->isEnabled());
        auto* display = Find<QCheckBox>(page, "checkDisplay");
        auto* lan = Find<QCheckBox>(page, "checkLan");
        display->click();
        QVERIFY(next->isEnabled());
        display->click();
        QVERIFY(!next->isEnabled());
        lan->click();
        QVERIFY(next->isEnabled());
        lan->click();
        QVERIFY(!next->isEnabled());
        QVERIFY(!f.app.Job().lan.changeLan &&
                !f.app.Job().display.changeDisplay);  // stored only by Next
    }

    // A LAN-only model: the LAN lines are wanted exactly when the addressing mode changes.
    void lanPageOnLanOnlyModel() {
        SWizardApp f;
        SetManualLanOnLanOnlyModel(f);
        auto sheet = StartSheet(f);
        QWidget* page = OpenPage(*sheet, 7);
        QVERIFY(page);
        const auto addresses = {"labelIpAddress", "ipAddress", "labelSubnetMask", "ipSubnetMask",
                                "labelGateway",   "ipGateway", "labelWarning"};
        QVERIFY(Find<QRadioButton>(page, "radioManual")->isChecked());
        QCOMPARE(Shown(page, addresses), QString("1111110"));
        QCOMPARE(Find<AddressControl>(page, "ipSubnetMask")->DottedText(),
                 QString("255.255.255.0"));
        QCOMPARE(Find<QLabel>(page, "labelWarning")->text(), kLanWarning);

        Find<QRadioButton>(page, "radioDhcp")->click();
        QVERIFY(f.app.Job().lan.dhcpWanted);
        QVERIFY(f.app.Job().lan.changeLan);
        QCOMPARE(Shown(page, addresses), QString("0000001"));
        QCOMPARE(Lines(f.app), QString("dhcp_flg,Client\n"));

        // Back to manual, only the address changed: no LAN line.
        Find<QRadioButton>(page, "radioManual")->click();
        QVERIFY(!f.app.Job().lan.changeLan);
        QCOMPARE(Shown(page, addresses), QString("1111110"));
        Find<AddressControl>(page, "ipAddress")->SetDottedText("10.0.0.77");
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageResults"));
        QCOMPARE(f.app.Job().lan.ipAddress, std::string("10.0.0.77"));
        QVERIFY(!f.app.Job().lan.changeLan);
        QCOMPARE(Lines(f.app), QString());
    }

    // A model with a choice page keeps the operator's LAN choice; an emptied gateway is sent
    // as an empty value, a half-typed one is refused.
    void lanPageManualAddressesBecomeLines() {
        SWizardApp f;
        f.app.Job().target.systemType = 5;
        f.app.Job().lan.changeLan = true;
        f.app.Job().lan.dhcpWanted = f.app.Job().lan.dhcpCurrent = true;
        f.app.Job().display.changeDisplay = true;
        auto sheet = StartSheet(f);
        QWidget* page = OpenPage(*sheet, 7);
        QVERIFY(page);
        QVERIFY(Find<QRadioButton>(page, "radioDhcp")->isChecked());
        Find<QRadioButton>(page, "radioManual")->click();
        QVERIFY(!Find<QWidget>(page, "labelWarning")->isHidden());
        QVERIFY(f.app.Job().lan.changeLan);
        Find<AddressControl>(page, "ipAddress")->SetDottedText("192.168.7.20");
        Find<AddressControl>(page, "ipSubnetMask")->SetDottedText("255.255.0.0");
        auto* gateway = Find<AddressControl>(page, "ipGateway");
        for (int field = 1; field <= 4; ++field) gateway->Field(field)->clear();
        gateway->Field(1)->setText("192");
        // Next stays disabled, with the reason on the page, until the gateway is whole or gone.
        auto* validity = Find<QLabel>(page, "labelValidity");
        QVERIFY(!sheet->Button(QWizard::NextButton)->isEnabled());
        QVERIFY(!validity->isHidden());
        QCOMPARE(validity->text(),
                 QString("The default gateway is incomplete: fill in all four parts."));
        QVERIFY(!Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageNetworkSettings"));
        QCOMPARE(f.app.Job().lan.ipAddress, std::string());

        // An empty gateway is allowed, and the page says what that means.
        gateway->Field(1)->clear();
        QVERIFY(sheet->Button(QWizard::NextButton)->isEnabled());
        QVERIFY(validity->text().startsWith("No default gateway"));
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageDisplaySettings"));
        QCOMPARE(Lines(f.app).section('\n', 0, 3),
                 QString("dhcp_flg,Off\ndefaultgateway,\"\"\nsubnetmask,255.255.0.0\n"
                         "ipaddress,192.168.7.20"));
    }

    // Manual addresses as typed (fields joined by dots): what the LAN page refuses, and why.
    void lanRefusal_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QString>("refusal");  // its start; empty: accepted
        const QString ok;
        QTest::newRow("whole setup") << "192.168.7.20"
                                     << "255.255.255.0"
                                     << "192.168.7.1" << ok;
        QTest::newRow("no gateway") << "192.168.7.20"
                                    << "255.255.0.0"
                                    << "..." << ok;
        QTest::newRow("wide mask, gateway far away") << "10.1.2.3"
                                                     << "255.0.0.0"
                                                     << "10.200.0.1" << ok;
        QTest::newRow("/30 smallest usable") << "10.0.0.1"
                                             << "255.255.255.252"
                                             << "10.0.0.2" << ok;
        QTest::newRow("mask with a hole") << "10.0.0.5"
                                          << "77.1.2.3"
                                          << "..."
                                          << "77.1.2.3 is not a usable subnet mask";
        QTest::newRow("mask ones after zeros") << "10.0.0.5"
                                               << "255.0.255.0"
                                               << "..."
                                               << "255.0.255.0 is not a usable subnet mask";
        QTest::newRow("mask zero") << "10.0.0.5"
                                   << "0.0.0.0"
                                   << "..."
                                   << "0.0.0.0 is not a usable subnet mask";
        QTest::newRow("mask /31") << "10.0.0.5"
                                  << "255.255.255.254"
                                  << "..."
                                  << "255.255.255.254 is not a usable subnet mask";
        QTest::newRow("mask /32") << "10.0.0.5"
                                  << "255.255.255.255"
                                  << "..."
                                  << "255.255.255.255 is not a usable subnet mask";
        QTest::newRow("mask missing") << "10.0.0.5"
                                      << "..."
                                      << "..."
                                      << "Enter the subnet mask.";
        QTest::newRow("mask partly typed") << "10.0.0.5"
                                           << "255.255..0"
                                           << "..."
                                           << "The subnet mask is incomplete";
        QTest::newRow("address missing") << "..."
                                         << "255.255.255.0"
                                         << "..."
                                         << "Enter the IP address.";
        QTest::newRow("address field above 255") << "10.0.0.300"
                                                 << "255.255.255.0"
                                                 << "..."
                                                 << "Each part of the IP address";
        QTest::newRow("address is the subnet") << "10.0.0.0"
                                               << "255.255.255.0"
                                               << "..."
                                               << "10.0.0.0 is the subnet's own address";
        QTest::newRow("address is the broadcast") << "10.0.0.255"
                                                  << "255.255.255.0"
                                                  << "..."
                                                  << "10.0.0.255 is the subnet's broadcast";
        QTest::newRow("multicast address") << "224.0.0.5"
                                           << "255.255.255.0"
                                           << "..."
                                           << "224.0.0.5 cannot be used as the IP address";
        QTest::newRow("gateway partly typed") << "10.0.0.5"
                                              << "255.255.255.0"
                                              << "10..."
                                              << "The default gateway is incomplete";
        QTest::newRow("gateway outside the subnet")
            << "192.168.7.20"
            << "255.255.255.0"
            << "192.168.8.1"
            << "The default gateway 192.168.8.1 is not in the subnet of 192.168.7.20 with "
               "mask 255.255.255.0";
        QTest::newRow("gateway is the system") << "10.0.0.5"
                                               << "255.255.255.0"
                                               << "10.0.0.5"
                                               << "The default gateway cannot be the system's";
        QTest::newRow("gateway is the broadcast")
            << "10.0.0.5"
            << "255.255.255.0"
            << "10.0.0.255"
            << "10.0.0.255 is the subnet's broadcast address; it cannot be the default gateway";
    }
    void lanRefusal() {
        QFETCH(QString, address);
        QFETCH(QString, mask);
        QFETCH(QString, gateway);
        QFETCH(QString, refusal);
        const QString got = LanSettingsPage::RefusalFor(address, mask, gateway);
        if (refusal.isEmpty())
            QCOMPARE(got, QString());
        else
            QVERIFY2(got.startsWith(refusal), qPrintable(got));
    }

    // The mask typed on the page: Next follows the refusal, and the reason is on the page.
    void lanPageRefusesBadMask() {
        SWizardApp f;
        SetManualLanOnLanOnlyModel(f);
        auto sheet = StartSheet(f);
        QWidget* page = OpenPage(*sheet, 7);
        QVERIFY(page);
        QPushButton* next = sheet->Button(QWizard::NextButton);
        auto* validity = Find<QLabel>(page, "labelValidity");
        QVERIFY(next->isEnabled());
        QVERIFY(validity->isHidden());
        Find<AddressControl>(page, "ipSubnetMask")->SetDottedText("77.1.2.3");
        QVERIFY(!next->isEnabled());
        QVERIFY(!validity->isHidden());
        QVERIFY(validity->text().startsWith("77.1.2.3 is not a usable subnet mask"));
        // Automatic addressing sends no mask: nothing to refuse.
        Find<QRadioButton>(page, "radioDhcp")->click();
        QVERIFY(next->isEnabled());
        QVERIFY(validity->isHidden());
        Find<QRadioButton>(page, "radioManual")->click();
        QVERIFY(!next->isEnabled());
        Find<AddressControl>(page, "ipSubnetMask")->SetDottedText("255.255.0.0");
        QVERIFY(next->isEnabled());
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(f.app.Job().lan.subnetMask, std::string("255.255.0.0"));
    }

    // Against the simulator, whose serial number is SN12345678 and administrator password
    // "secret". Passwords: room, its confirmation, remote, its confirmation.
    void securityPageValidates_data() {
        QTest::addColumn<bool>("useRoom");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("message");  // empty: accepted
        QTest::addColumn<QString>("remote");   // stored remote password when accepted
        QTest::newRow("room mismatch")
            << true << QStringList{"Abc-1", "abc-1", "", ""} << kMismatch << "";
        QTest::newRow("remote mismatch")
            << false << QStringList{"Room-1", "Room-1", "R-2", "R-3"} << kMismatch << "";
        QTest::newRow("hidden remote fields not compared")
            << true << QStringList{"Room-1", "Room-1", "x", "y"} << ""
            << "Room-1";
        QTest::newRow("empty room")
            << true << QStringList{"", "", "", ""} << kDefaultPassword << "";
        QTest::newRow("empty remote")
            << false << QStringList{"Room-1", "Room-1", "", ""} << kDefaultPassword << "";
        QTest::newRow("room is the current room password")
            << true << QStringList{"OLDROOM", "OLDROOM", "", ""} << kDefaultPassword << "";
        QTest::newRow("room is the serial number")
            << true << QStringList{"sn12345678", "sn12345678", "", ""} << kDefaultPassword << "";
        QTest::newRow("remote is the admin password")
            << false << QStringList{"Room-1", "Room-1", "SECRET", "SECRET"} << kDefaultPassword
            << "";
        QTest::newRow("remote is the serial number")
            << false << QStringList{"Room-1", "Room-1", "Sn12345678", "Sn12345678"}
            << kDefaultPassword << "";
        QTest::newRow("two new passwords")
            << false << QStringList{"Room-1", "Room-1", "Remote-2", "Remote-2"} << ""
            << "Remote-2";
    }
    void securityPageValidates() {
        QFETCH(bool, useRoom);
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        QFETCH(QString, remote);
        QVERIFY2(m_sim && m_sim->Started(), "simulator");
        QVERIFY(m_sheet);
        RunContext& app = m_fixture->app;
        while (ActivePageName(*m_sheet) != "pageSystemInfo")
            QVERIFY(Press(*m_sheet, QWizard::BackButton));
        app.Job().security.useRoomForRemote = useRoom;
        app.Job().security.roomPassword = "oldroom";
        app.Job().security.newRoomPassword = app.Job().security.newRemotePassword = "unchanged";
        app.Job().display.changeDisplay = false;
        QWidget* page = OpenPage(*m_sheet, 8);
        QVERIFY(page);
        QCOMPARE(Find<QCheckBox>(page, "checkUseRoom")->isChecked(), useRoom);
        const auto remoteRows = {"labelRemote", "editRemote", "labelRemoteConfirm",
                                 "editRemoteConfirm", "labelMessage"};
        QCOMPARE(Shown(page, remoteRows), useRoom ? QString("00000") : QString("11110"));
        QVERIFY(Find<QLabel>(page, "labelHeading")
                    ->text()
                    .endsWith(useRoom ? "remote access will use it too."
                                      : "a new remote access password."));
        for (auto* edit : page->findChildren<QLineEdit*>())
            QCOMPARE(edit->echoMode(), QLineEdit::Password);
        SetPasswords(page, typed);

        QVERIFY(Press(*m_sheet, QWizard::NextButton));
        if (message.isEmpty()) {
            QCOMPARE(ActivePageName(*m_sheet), QString("pageResults"));
            QCOMPARE(app.Job().security.newRoomPassword, typed[0].toStdString());
            QCOMPARE(QString::fromStdString(app.Job().security.newRemotePassword), remote);
            QCOMPARE(app.Job().security.useRoomForRemote, useRoom);
            return;
        }
        QCOMPARE(ActivePageName(*m_sheet), QString("pageSecureMode"));
        QVERIFY(Find<QWidget>(page, "labelMessage")->isVisible());
        QCOMPARE(Find<QLabel>(page, "labelMessage")->text(), message);
        QCOMPARE(app.Job().security.newRoomPassword, std::string("unchanged"));
        QCOMPARE(app.Job().security.newRemotePassword, std::string("unchanged"));
    }

    // The security lines carry the new passwords, which appear nowhere else.
    void securityPasswordsOnlyInTheSettingsLines() {
        QVERIFY(m_sheet);
        RunContext& app = m_fixture->app;
        while (ActivePageName(*m_sheet) != "pageSystemInfo")
            QVERIFY(Press(*m_sheet, QWizard::BackButton));
        app.Job().security.useRoomForRemote = true;
        app.Job().security.secureModeWanted = true;
        app.Job().security.secureModeCurrent = false;
        app.Job().lan.changeLan = app.Job().display.changeDisplay = false;
        QWidget* page = OpenPage(*m_sheet, 8);
        QVERIFY(page);
        SetPasswords(page, {"Zq7-unique-room", "Zq7-unique-room", "", ""});
        QVERIFY(Press(*m_sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*m_sheet), QString("pageResults"));
        QCOMPARE(Lines(app), QString("securemode,True\nsw,Zq7-unique-room\nuseroompassword,True\n"
                                     "roomsw,Zq7-unique-room\n"));
        QVERIFY(FolderText(m_fixture->dir.Path()).find("Zq7-unique") == std::string::npos);
    }

    // VGA shows the resolution instead of the video standard, and no standard warning.
    void displayPageViews() {
        SWizardApp f;
        f.app.Job().target.systemType = 11;
        f.app.Job().display.changeDisplay = true;
        f.app.Job().display.videoOutput = 2;
        f.app.Job().display.palWanted = true;
        f.app.Job().display.palCurrent = false;  // a standard change, were it shown
        f.app.Job().display.resolution1024 = true;
        auto sheet = StartSheet(f);
        QWidget* page = OpenPage(*sheet, 9);
        QVERIFY(page);
        const auto swapped = {"labelResolution", "radio800", "radio1024",   "labelStandard",
                              "radioNtsc",       "radioPal", "labelWarning"};
        QVERIFY(Find<QRadioButton>(page, "radioVga")->isChecked());
        QVERIFY(Find<QRadioButton>(page, "radio1024")->isChecked());
        QVERIFY(Find<QRadioButton>(page, "radio4x3")->isChecked());
        QCOMPARE(Shown(page, swapped), QString("1110000"));

        Find<QRadioButton>(page, "radioComposite")->click();
        QCOMPARE(Shown(page, swapped), QString("0001111"));
        QCOMPARE(Find<QLabel>(page, "labelWarning")->text(),
                 QString("Warning: \nChanging this setting may cause video malfunction.  Please "
                         "make sure the attached camera matches this setting."));
        Find<QRadioButton>(page, "radioNtsc")->click();
        QCOMPARE(Shown(page, swapped), QString("0001110"));
        Find<QRadioButton>(page, "radioSVideo")->click();
        QCOMPARE(Shown(page, swapped), QString("0001110"));
        Find<QRadioButton>(page, "radioVga")->click();
        Find<QRadioButton>(page, "radioPal")->setChecked(true);  // hidden, kept
        Find<QRadioButton>(page, "radio800")->click();
        QCOMPARE(Shown(page, swapped), QString("1110000"));

        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageResults"));
        QCOMPARE(Lines(f.app), QString("monitor1display,4:3\ncameratype,PAL\n"
                                       "vgaresolution,60HZ800x600\nmonitoroutputsignal,VGA\n"));
    }

    // An output the page does not know leaves its group unselected and the job value alone.
    void displayPageKeepsAnUnknownOutput() {
        SWizardApp f;
        f.app.Job().target.systemType = 12;
        f.app.Job().display.changeDisplay = true;
        f.app.Job().display.videoOutput = 7;
        f.app.Job().display.palWanted = f.app.Job().display.palCurrent = true;
        f.app.Job().tasks.eraseFlash = true;
        f.app.Job().tasks.updateSoftware = false;
        auto sheet = StartSheet(f);
        QWidget* page = OpenPage(*sheet, 9);
        QVERIFY(page);
        for (const char* name : {"radioComposite", "radioSVideo", "radioVga"})
            QVERIFY(!Find<QRadioButton>(page, name)->isChecked());
        QCOMPARE(Shown(page, {"labelStandard", "labelResolution", "labelWarning"}), QString("100"));
        Find<QRadioButton>(page, "radio16x9")->click();
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageSoftwareUpgrade"));  // erase only
        QCOMPARE(f.app.Job().display.videoOutput, 7);
        QVERIFY(f.app.Job().display.aspect16x9);
        QVERIFY(f.app.Job().display.palWanted);
    }
    // The heading follows the mode the system reported and the remote-password choice, and
    // its advice names only what the page and the sheet offer.
    void securityPageWording_data() {
        QTest::addColumn<bool>("secureNow");
        QTest::addColumn<bool>("useRoom");
        QTest::addColumn<QString>("heading");
        const QString switchOn =
            "This system does not run in security mode now: this update switches it on. ";
        const QString staysOn = "This system runs in security mode now, and it stays on. ";
        const QString oneNew = "Enter a new room password; remote access will use it too.";
        const QString twoNew = "Enter a new room password and a new remote access password.";
        QTest::newRow("off, room for remote") << false << true << switchOn + oneNew;
        QTest::newRow("off, two passwords") << false << false << switchOn + twoNew;
        QTest::newRow("on, room for remote") << true << true << staysOn + oneNew;
        QTest::newRow("on, two passwords") << true << false << staysOn + twoNew;
    }
    void securityPageWording() {
        QFETCH(bool, secureNow);
        QFETCH(bool, useRoom);
        QFETCH(QString, heading);
        QVERIFY2(m_sim && m_sim->Started(), "simulator");
        QVERIFY(m_sheet);
        RunContext& app = m_fixture->app;
        while (ActivePageName(*m_sheet) != "pageSystemInfo")
            QVERIFY(Press(*m_sheet, QWizard::BackButton));
        app.Job().security.secureModeCurrent = secureNow;
        app.Job().security.useRoomForRemote = !useRoom;
        app.Job().display.changeDisplay = false;
        QWidget* page = OpenPage(*m_sheet, 8);
        QVERIFY(page);
        // The box is clicked, so the heading must follow the operator's choice too.
        Find<QCheckBox>(page, "checkUseRoom")->click();
        QCOMPARE(Find<QLabel>(page, "labelHeading")->text(), heading);
        app.Job().security.secureModeCurrent = false;
        // No advice to use a control this page lacks.
        SetPasswords(page, {"", "", "", ""});
        QVERIFY(Press(*m_sheet, QWizard::NextButton));
        const QString refusal = Find<QLabel>(page, "labelMessage")->text();
        QCOMPARE(refusal, kDefaultPassword);
        for (auto* box : page->findChildren<QAbstractButton*>())
            QVERIFY(!refusal.contains(box->text().remove('&'), Qt::CaseInsensitive));
        QVERIFY(!refusal.contains("disable", Qt::CaseInsensitive));
    }

    void initTestCase() {
        m_sim = std::make_unique<SimulatorProcess>();
        if (!m_sim->Started()) return;
        m_fixture = std::make_unique<SWizardApp>();
        m_sheet = OnSystemInfoPage(*m_fixture, *m_sim);
    }
    void cleanupTestCase() {
        m_sheet.reset();
        m_fixture.reset();
        m_sim.reset();
    }

private:
    // The security cases share one connected wizard (the page reads the serial number).
    std::unique_ptr<SimulatorProcess> m_sim;
    std::unique_ptr<SWizardApp> m_fixture;
    std::unique_ptr<WizardSheet> m_sheet;
};

QTEST_MAIN(TestSettingsPages)
#include "test_settings_pages.moc"
