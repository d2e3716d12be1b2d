// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The operator's choices are what runs: what the summary lists is what reaches the system,
// choices left behind on a page the operator backed out of or hid with Typical do not, a new
// walk starts clean, Back keeps a page's choices, and the flash erase is confirmed first.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QtTest/QtTest>

#include "gui/progress/GuiRun.h"
#include "gui/widgets/AddressControl.h"
#include "support/ScopedTempDir.h"
#include "support/SimulatorProcess.h"
#include "support/WizardHarness.h"

using namespace quillmarch;
using namespace quillmarch::test;

namespace {

// Connects through the wizard's connection page; true once the facts page shows.
bool ConnectThroughWizard(WizardSheet& sheet, const SimulatorProcess& sim) {
    if (!Press(sheet, QWizard::NextButton)) return false;
    QWidget* page = sheet.ActivePage();
    Find<QComboBox>(page, "comboAddress")->setEditText(QString::fromStdString(sim.Address()));
    Find<QLineEdit>(page, "editPassword")->setText(QString::fromStdString(sim.Password()));
    return Press(sheet, QWizard::NextButton) && ActivePageName(sheet) == "pageSystemInfo";
}

// The summary lines that show, in page order, by their object names.
QStringList ShownLines(QWidget* summary) {
    QStringList shown;
    for (const char* name :
         {"lineUpdate", "lineChange", "lineLan", "lineSecurity", "lineDisplay", "lineErase"}) {
        if (!Find<QLabel>(summary, name)->isHidden()) shown << QString::fromLatin1(name);
    }
    return shown;
}

bool Uploaded(const SimulatorProcess& sim, const std::string& name) {
    for (const auto& upload : sim.Events("upload"))
        if (upload.value("name", "") == name) return true;
    return false;
}

void CloseFinishedProgressWindows() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "progressDialog" && widget->isVisible()) widget->close();
    }
}

}  // namespace

class TestWizardChoices : public QObject {
    Q_OBJECT

private slots:
    // Custom with the settings task and a LAN address typed, then back to the update type and
    // Typical: the summary lists the software update only, and the system gets no settings.
    void typicalAfterCustomSendsNoSettings() {
        SimulatorProcess sim;  // a LAN-only model: the LAN page follows the retained data
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f(0.01);  // waits that outlast the simulator's restarts on a loaded machine too
        auto sheet = StartSheet(f);
        QVERIFY(ConnectThroughWizard(*sheet, sim));
        QVERIFY(Press(*sheet, QWizard::NextButton));
        Click(sheet->ActivePage(), "radioCustom");
        QVERIFY(Press(*sheet, QWizard::NextButton));
        Click(sheet->ActivePage(), "checkChangeSettings");
        QVERIFY(Press(*sheet, QWizard::NextButton));  // retained data
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageNetworkSettings"));
        Click(sheet->ActivePage(), "radioManual");
        Find<AddressControl>(sheet->ActivePage(), "ipAddress")->SetDottedText("10.9.8.7");
        Find<AddressControl>(sheet->ActivePage(), "ipGateway")->SetDottedText("10.9.8.1");
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageResults"));
        QVERIFY(ShownLines(sheet->ActivePage()).contains("lineLan"));

        for (int step = 0; step < 4 && ActivePageName(*sheet) != "pageUpgradeType"; ++step)
            QVERIFY(Press(*sheet, QWizard::BackButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageUpgradeType"));
        Click(sheet->ActivePage(), "radioTypical");
        for (int step = 0; step < 4 && ActivePageName(*sheet) != "pageResults"; ++step)
            QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageResults"));
        QCOMPARE(ShownLines(sheet->ActivePage()), QStringList{"lineUpdate"});
        QVERIFY(Press(*sheet, QWizard::FinishButton));
        QCOMPARE(sheet->result(), int(QDialog::Accepted));
        sheet.reset();

        QVERIFY(RunUpdateWithProgressWindow(f.app, nullptr, {}));
        CloseFinishedProgressWindows();
        QVERIFY(Uploaded(sim, "BRAMBLE"));  // the run did reach the system
        QVERIFY(!Uploaded(sim, "quillmarchprovision.dat"));
        QVERIFY(!Uploaded(sim, "doprovision.dat"));
        QVERIFY(sim.ReadFile("quillmarchprovision.dat").empty());
    }

    // The summary offers "Verify the update", ticked, whenever an image is sent; the run then
    // ends only when the system is back on the new software and says so in the log.
    void theSummaryOffersVerificationAndTheRunChecksTheSystem() {
        SimulatorProcess sim;
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f(0.01);  // waits that outlast the simulator's restarts on a loaded machine too
        auto sheet = StartSheet(f);
        QVERIFY(ConnectThroughWizard(*sheet, sim));
        for (int step = 0; step < 6 && ActivePageName(*sheet) != "pageResults"; ++step)
            QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageResults"));
        auto* verify = Find<QCheckBox>(sheet->ActivePage(), "checkVerify");
        QVERIFY(!verify->isHidden());
        QVERIFY(verify->isChecked());
        QVERIFY(Press(*sheet, QWizard::FinishButton));
        sheet.reset();
        QVERIFY(f.app.Job().options.verify);

        const std::string log = f.dir.Str("verified.log");
        QVERIFY(f.app.StartLog(log));
        QVERIFY(RunUpdateWithProgressWindow(f.app, nullptr, {}));
        CloseFinishedProgressWindows();
        QFile file(QString::fromStdString(log));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.contains(" : Verified: "), qPrintable(text.right(2000)));
    }

    // The wizard opens its log before it knows the system; the run must still start under a
    // header naming the address and the model, as a command-line run's does.
    void theLogHeaderNamesTheSystemAtFinish() {
        SimulatorProcess sim;
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        auto sheet = StartSheet(f);
        QVERIFY(ConnectThroughWizard(*sheet, sim));
        const std::filesystem::path log =
            f.dir.Path() / ("127_0_0_1_" + std::to_string(sim.FtpPort()) + ".log");
        const std::string addressLine = "\tAddress          = " + sim.Address() + "\r\n";
        const int type = f.app.Job().target.systemType;
        QVERIFY(type >= 0 && type < f.app.Catalogue().GetSize());
        const std::string typeLine =
            "\tSystem Type      = " + f.app.Catalogue().GetAt(type).DisplayName();
        QVERIFY(ReadFile(log).find(typeLine) == std::string::npos);  // not known at its start
        for (int step = 0; step < 6 && ActivePageName(*sheet) != "pageResults"; ++step)
            QVERIFY(Press(*sheet, QWizard::NextButton));
        QVERIFY(Press(*sheet, QWizard::FinishButton));
        QCOMPARE(sheet->result(), int(QDialog::Accepted));
        const std::string text = ReadFile(log);
        const auto header = text.rfind("Quillmarch\r\n\tAddress");
        QVERIFY2(header != std::string::npos, text.c_str());
        QVERIFY2(text.find(addressLine, header) != std::string::npos, text.c_str());
        QVERIFY2(text.find(typeLine, header) != std::string::npos, text.c_str());
    }

    // Unticked, or with no image to send, the run does not verify.
    void verificationIsTheOperatorsChoice() {
        struct Case {
            const char* what;
            bool uploadImage;
            bool untick;
            bool shown;
            bool verify;
        };
        const Case cases[] = {{"ticked", true, false, true, true},
                              {"unticked", true, true, true, false},
                              {"no image to send", false, false, false, false}};
        for (const Case& c : cases) {
            SWizardApp f;
            f.app.Job().target.systemType = 9;
            f.app.Job().tasks.uploadImage = c.uploadImage;
            auto sheet = StartSheet(f);
            QWidget* summary = OpenPage(*sheet, 10);
            QVERIFY2(summary, c.what);
            auto* verify = Find<QCheckBox>(summary, "checkVerify");
            QVERIFY2(verify->isHidden() == !c.shown, c.what);
            if (c.untick) verify->setChecked(false);
            QVERIFY2(Press(*sheet, QWizard::FinishButton), c.what);
            QVERIFY2(f.app.Job().options.verify == c.verify, c.what);
        }
    }

    // Whatever the last walk chose, the next one starts from a clean job.
    void aNewWalkStartsFromCleanChoices() {
        SWizardApp f;
        f.app.Job().tasks.customUpdate = f.app.Job().tasks.changeSettings =
            f.app.Job().tasks.eraseFlash = true;
        f.app.Job().lan.changeLan = f.app.Job().display.changeDisplay =
            f.app.Job().security.secureModeWanted = true;
        f.app.Job().lan.dhcpCurrent = true;
        f.app.Job().lan.dhcpWanted = false;
        f.app.Job().lan.ipAddress = "10.9.8.7";
        f.app.Job().security.newRoomPassword = "Room-1";
        f.app.Job().retain.directory = false;
        bool sawClean = false;
        QTimer::singleShot(0, [&] {
            auto* sheet = qobject_cast<WizardSheet*>(QApplication::activeModalWidget());
            const RunContext& job = f.app;
            sawClean = !job.Job().tasks.customUpdate && !job.Job().tasks.changeSettings &&
                       !job.Job().tasks.eraseFlash && !job.Job().lan.changeLan &&
                       !job.Job().display.changeDisplay && !job.Job().security.secureModeWanted &&
                       job.Job().lan.dhcpWanted && job.Job().lan.ipAddress.empty() &&
                       job.Job().security.newRoomPassword.empty() && job.Job().retain.directory;
            if (sheet) sheet->reject();
        });
        QVERIFY(!WizardRunner::Run(f.app, nullptr, f.settings));
        QVERIFY(sawClean);
    }

    // Back from the display page and forward again: the page is built anew and shows what
    // the operator had chosen, not the system's values.
    void backKeepsTheDisplayChoices() {
        SWizardApp f;
        f.app.Job().target.systemType = 11;
        f.app.Job().tasks.customUpdate = f.app.Job().tasks.changeSettings = true;
        auto sheet = StartSheet(f);
        QWidget* choice = OpenPage(*sheet, 6);
        QVERIFY(choice);
        Click(choice, "checkDisplay");
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QWidget* display = sheet->ActivePage();
        QCOMPARE(display->objectName(), QString("pageDisplaySettings"));
        Click(display, "radioComposite");
        Click(display, "radioPal");
        Click(display, "radio16x9");
        QVERIFY(Press(*sheet, QWizard::BackButton));
        QCOMPARE(sheet->ActivePage(), choice);
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(sheet->ActivePage(), display);
        QVERIFY(Find<QRadioButton>(display, "radioComposite")->isChecked());
        QVERIFY(Find<QRadioButton>(display, "radioPal")->isChecked());
        QVERIFY(Find<QRadioButton>(display, "radio16x9")->isChecked());
    }

    // Finish with the erase chosen asks first, saying what happens; Enter (the default
    // button) and Cancel both keep the wizard on the summary without touching the system.
    void eraseIsConfirmedWithCancelAsDefault_data() {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("Enter") << true;
        QTest::newRow("Cancel") << false;
    }
    void eraseIsConfirmedWithCancelAsDefault() {
        QFETCH(bool, byEnter);
        SWizardApp f;
        f.app.Job().target.systemType = 5;
        f.app.Job().tasks.customUpdate = f.app.Job().tasks.eraseFlash = true;
        f.app.Job().tasks.updateSoftware = false;
        auto sheet = StartSheet(f);
        QVERIFY(OpenPage(*sheet, 10));
        QString text;
        bool cancelIsDefault = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            text = box->text();
            cancelIsDefault = box->defaultButton() == box->button(QMessageBox::Cancel);
            if (byEnter)
                QTest::keyClick(box, Qt::Key_Return);
            else
                box->button(QMessageBox::Cancel)->click();
        });
        QVERIFY(Press(*sheet, QWizard::FinishButton));
        QVERIFY(cancelIsDefault);
        for (const char* word : {"back up", "erase", "restore", "restart"})
            QVERIFY2(text.contains(word), qPrintable(text));
        QVERIFY(sheet->isVisible());
        QCOMPARE(ActivePageName(*sheet), QString("pageResults"));
        QVERIFY(sheet->result() != QDialog::Accepted);
        QVERIFY(
            f.app.Job().tasks.eraseFlash);  // still chosen; the operator may go back or ask again
    }

    // A system that reports its security mode gets the box on the settings choice page, and
    // ticking it leads to the security page; the summary then lists the change.
    void securityBoxIsOfferedWhenTheSystemReportsItsMode() {
        SSimOptions options;
        options.model = 11;
        SimulatorProcess sim(options);
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        auto sheet = StartSheet(f);
        QVERIFY(ConnectThroughWizard(*sheet, sim));
        QVERIFY(sheet->SecureModeReported());
        QVERIFY(Press(*sheet, QWizard::NextButton));
        Click(sheet->ActivePage(), "radioCustom");
        QVERIFY(Press(*sheet, QWizard::NextButton));
        Click(sheet->ActivePage(), "checkUpdateSoftware");
        Click(sheet->ActivePage(), "checkChangeSettings");
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QWidget* choice = sheet->ActivePage();
        QCOMPARE(choice->objectName(), QString("pageChangeSettings"));
        auto* secure = Find<QCheckBox>(choice, "checkSecureMode");
        QVERIFY(secure->isVisible() && !secure->isChecked());  // the system says: off
        secure->click();
        QVERIFY(Find<QLabel>(choice, "labelSecurityNote")->isVisible());
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageSecureMode"));
        Find<QLineEdit>(sheet->ActivePage(), "editRoom")->setText("Room-77");
        Find<QLineEdit>(sheet->ActivePage(), "editRoomConfirm")->setText("Room-77");
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageResults"));
        // LAN and display were not chosen: not listed.
        QCOMPARE(ShownLines(sheet->ActivePage()),
                 QStringList({"lineUpdate", "lineChange", "lineSecurity", "lineErase"}));
        // Before Finish: which password changes, and that it does not stay on the system.
        const QString security = Find<QLabel>(sheet->ActivePage(), "detailSecurity")->text();
        QVERIFY2(security.contains("room password changes") && security.contains("removes"),
                 qPrintable(security));
        QCOMPARE(Find<QLabel>(sheet->ActivePage(), "lineSecurity")->text(),
                 QString("Enable Security Mode"));
    }
};

QTEST_MAIN(TestWizardChoices)
#include "test_wizard_choices.moc"
