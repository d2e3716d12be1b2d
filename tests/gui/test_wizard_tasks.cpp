// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The pages after the system information: update type, task choice, retained data and the
// summary with its final call check.

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QtTest/QtTest>

#include "core/device/SystemConnector.h"
#include "gui/widgets/BitmapPanel.h"
#include "gui/wizard/pages/SummaryPage.h"
#include "support/SimulatorProcess.h"
#include "support/WizardHarness.h"

using namespace quillmarch;
using namespace quillmarch::test;

namespace {

QString Visible(QWidget* page, std::initializer_list<const char*> names) {
    QString flags;
    for (const char* name : names) flags += Find<QWidget>(page, name)->isHidden() ? '0' : '1';
    return flags;
}

QString Checked(QWidget* page, std::initializer_list<const char*> names) {
    QString flags;
    for (const char* name : names) flags += Find<QCheckBox>(page, name)->isChecked() ? '1' : '0';
    return flags;
}

const auto kTasks = {"checkUpdateSoftware", "checkChangeSettings", "checkEraseFlash"};
const auto kRetain = {"checkSystemSettings", "checkDirectory", "checkSampleSites",
                      "checkCallDetail"};
const auto kLines = {"lineUpdate",   "lineChange",  "lineLan",
                     "lineSecurity", "lineDisplay", "lineErase"};
const auto kTicks = {"tickUpdate",   "tickChange",  "tickLan",
                     "tickSecurity", "tickDisplay", "tickErase"};

// '1' for a tick, '0' for a blank square.
QString Ticks(QWidget* page) {
    QString flags;
    for (const char* name : kTicks) {
        const int id = Find<BitmapPanel>(page, name)->ResourceId();
        flags += id == SummaryPage::kTickBitmapId    ? '1'
                 : id == SummaryPage::kBlankBitmapId ? '0'
                                                     : '?';
    }
    return flags;
}

}  // namespace

class TestWizardTasks : public QObject {
    Q_OBJECT

private slots:
    void updateTypeWritesCustom_data() {
        QTest::addColumn<bool>("customBefore");
        QTest::addColumn<bool>("chooseCustom");
        QTest::newRow("typical kept") << false << false;
        QTest::newRow("custom chosen") << false << true;
        QTest::newRow("custom shown, typical chosen") << true << false;
    }
    void updateTypeWritesCustom() {
        QFETCH(bool, customBefore);
        QFETCH(bool, chooseCustom);
        SWizardApp f;
        f.app.Job().tasks.customUpdate = customBefore;
        auto sheet = StartSheet(f);
        QWidget* page = OpenPage(*sheet, 3);
        QCOMPARE(Find<QRadioButton>(page, "radioCustom")->isChecked(), customBefore);
        QCOMPARE(Find<QRadioButton>(page, "radioTypical")->text(), QString("&Typical"));
        QCOMPARE(Find<QLabel>(page, "labelHeading")->text(),
                 QString("Please choose the update type."));
        Find<QRadioButton>(page, chooseCustom ? "radioCustom" : "radioTypical")->click();
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(f.app.Job().tasks.customUpdate, chooseCustom);
        QCOMPARE(ActivePageName(*sheet), QString("pageUpgradeChoice"));
    }

    // The job as the task choice page finds it, what it shows, and where Next leads.
    void taskChoiceShowsAndStores_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("custom");
        QTest::addColumn<QString>("tasks");  // update, change, erase in the job
        QTest::addColumn<QString>("visible");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QString>("stored");
        QTest::newRow("first run, typical") << 9 << false << "100"
                                            << "100"
                                            << "pageSoftwareUpgrade"
                                            << "yes";
        // Typical offers the update only: a hidden erase from an earlier Custom is dropped.
        QTest::newRow("typical drops a hidden erase") << 9 << false << "101"
                                                      << "100"
                                                      << "pageSoftwareUpgrade"
                                                      << "yes";
        QTest::newRow("custom settings and erase") << 5 << true << "011"
                                                   << "111"
                                                   << "pageChangeSettings"
                                                   << "no";
        QTest::newRow("custom settings, LAN-only model") << 9 << true << "010"
                                                         << "111"
                                                         << "pageNetworkSettings"
                                                         << "no";
        QTest::newRow("custom update and settings") << 5 << true << "110"
                                                    << "111"
                                                    << "pageSoftwareUpgrade"
                                                    << "yes";
    }
    void taskChoiceShowsAndStores() {
        QFETCH(int, model);
        QFETCH(bool, custom);
        QFETCH(QString, tasks);
        QFETCH(QString, visible);
        QFETCH(QString, next);
        QFETCH(QString, stored);
        SWizardApp f;
        f.app.Job().target.systemType = model;
        f.app.Job().tasks.customUpdate = custom;
        f.app.Job().tasks.updateSoftware = tasks[0] == '1';
        f.app.Job().tasks.changeSettings = tasks[1] == '1';
        f.app.Job().tasks.eraseFlash = tasks[2] == '1';
        auto sheet = StartSheet(f);
        QWidget* page = OpenPage(*sheet, 4);
        // One title for the whole wizard.
        QCOMPARE(sheet->windowTitle(), QString::fromStdString(f.app.LoadUiString(15, "")));
        QCOMPARE(Find<QLabel>(page, "labelHeading")->text(),
                 custom ? QString("Please select your preferred update method.")
                        : QString("Please select the tasks to be performed."));
        QCOMPARE(Visible(page, kTasks), visible);
        QCOMPARE(Checked(page, kTasks), tasks);
        QVERIFY(sheet->Button(QWizard::NextButton)->isEnabled());

        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), next);
        QCOMPARE(QString::fromStdString(f.settings.values["UploadSoftware"]), stored);
        QCOMPARE(f.app.Job().tasks.eraseFlash,
                 custom && tasks[2] == '1');  // only a choice shown counts
    }

    void taskChoiceNeedsOneTask() {
        SWizardApp f;
        f.app.Job().tasks.customUpdate = true;
        auto sheet = StartSheet(f);
        QWidget* page = OpenPage(*sheet, 4);
        QPushButton* next = sheet->Button(QWizard::NextButton);
        QVERIFY(next->isEnabled());
        Find<QCheckBox>(page, "checkUpdateSoftware")->click();
        QVERIFY(!next->isEnabled());
        Find<QCheckBox>(page, "checkEraseFlash")->click();
        QVERIFY(next->isEnabled());
        Find<QCheckBox>(page, "checkEraseFlash")->click();
        QVERIFY(!next->isEnabled());
        // Typical: a task the page does not show is no reason to go on.
        SWizardApp typical;
        typical.app.Job().tasks.updateSoftware = false;
        typical.app.Job().tasks.eraseFlash = typical.app.Job().tasks.changeSettings = true;
        auto typicalSheet = StartSheet(typical);
        OpenPage(*typicalSheet, 4);
        QVERIFY(!typicalSheet->Button(QWizard::NextButton)->isEnabled());
        QVERIFY(f.settings.values.empty());  // stored only by Next
    }

    // A run erases only without a software update: the page refuses the pair with its reason
    // instead of letting the summary promise an erase the run would skip.
    void taskChoiceRefusesEraseWithUpdate() {
        SWizardApp f;
        f.app.Job().tasks.customUpdate = true;
        f.app.Job().tasks.eraseFlash = true;  // an earlier walk's pair
        auto sheet = StartSheet(f);
        QWidget* page = OpenPage(*sheet, 4);
        QPushButton* next = sheet->Button(QWizard::NextButton);
        auto* refusal = Find<QLabel>(page, "labelRefusal");
        QCOMPARE(Checked(page, kTasks), QString("101"));
        QVERIFY(!next->isEnabled());
        QVERIFY(!refusal->isHidden());
        QVERIFY(refusal->text().contains("cannot be done in one run"));
        QVERIFY(!Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageUpgradeChoice"));
        Find<QCheckBox>(page, "checkUpdateSoftware")->click();
        QVERIFY(next->isEnabled());
        QVERIFY(refusal->isHidden());
        Find<QCheckBox>(page, "checkEraseFlash")->click();  // nothing chosen now
        QVERIFY(!next->isEnabled());
        QCOMPARE(refusal->text(), QString("Choose at least one task."));
        Find<QCheckBox>(page, "checkEraseFlash")->click();
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QVERIFY(!f.app.Job().tasks.updateSoftware);
        QVERIFY(f.app.Job().tasks.eraseFlash);
    }

    // Back to the task choice after the summary: the tail is dropped and built anew.
    void backToTheTaskChoiceBuildsANewTail() {
        SWizardApp f;
        f.app.Job().tasks.customUpdate = true;
        f.app.Job().target.systemType = 5;
        auto sheet = StartSheet(f);
        QWidget* page = OpenPage(*sheet, 4);
        QVERIFY(Press(*sheet, QWizard::NextButton));  // retained data
        QVERIFY(Press(*sheet, QWizard::NextButton));  // summary
        QCOMPARE(ActivePageName(*sheet), QString("pageResults"));
        QCOMPARE(sheet->GetPageCount(), 4);
        QVERIFY(Press(*sheet, QWizard::BackButton));
        QVERIFY(Press(*sheet, QWizard::BackButton));
        QCOMPARE(sheet->ActivePage(), page);
        QCOMPARE(sheet->GetPageCount(), 2);
        Find<QCheckBox>(page, "checkUpdateSoftware")->click();
        Find<QCheckBox>(page, "checkChangeSettings")->click();
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageChangeSettings"));
        QCOMPARE(sheet->GetPageCount(), 3);
    }

    void retainedDataPage_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("custom");
        QTest::addColumn<QString>("tasks");    // update, change, erase
        QTest::addColumn<QString>("visible");  // settings, directory, samples, call detail
        QTest::addColumn<QString>("next");
        QTest::newRow("first model, custom") << 0 << true << "110"
                                             << "1101"
                                             << "pageResults";
        QTest::newRow("typical") << 9 << false << "110"
                                 << "1110"
                                 << "pageResults";
        QTest::newRow("custom with settings") << 5 << true << "110"
                                              << "1111"
                                              << "pageChangeSettings";
        QTest::newRow("custom with settings, LAN-only") << 9 << true << "110"
                                                        << "1111"
                                                        << "pageNetworkSettings";
        QTest::newRow("custom without settings") << 5 << true << "100"
                                                 << "1111"
                                                 << "pageResults";
        QTest::newRow("erase only") << 5 << true << "011"
                                    << "1111"
                                    << "pageResults";
    }
    void retainedDataPage() {
        QFETCH(int, model);
        QFETCH(bool, custom);
        QFETCH(QString, tasks);
        QFETCH(QString, visible);
        QFETCH(QString, next);
        SWizardApp f;
        f.app.Job().target.systemType = model;
        f.app.Job().tasks.customUpdate = custom;
        f.app.Job().tasks.updateSoftware = tasks[0] == '1';
        f.app.Job().tasks.changeSettings = tasks[1] == '1';
        f.app.Job().tasks.eraseFlash = tasks[2] == '1';
        auto sheet = StartSheet(f);
        QWidget* page = OpenPage(*sheet, 5);
        QCOMPARE(Find<QLabel>(page, "labelHeading")->text(),
                 QString("Retain the following files:"));
        QCOMPARE(Visible(page, kRetain), visible);
        QCOMPARE(f.app.Job().retain.sampleSites,
                 model != 0);  // dropped on sight for the first model
        Find<QCheckBox>(page, "checkDirectory")->click();
        if (model == 0) Find<QCheckBox>(page, "checkSampleSites")->setChecked(true);

        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), next);
        QVERIFY(!f.app.Job().retain.directory);
        QVERIFY(f.app.Job().retain.systemSettings);
        QVERIFY(f.app.Job().retain.callDetail);  // kept, even where its box is hidden
        QCOMPARE(f.app.Job().retain.sampleSites, model != 0);
    }

    void summaryLinesAndTicks_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("custom");
        QTest::addColumn<QString>("choices");  // update, change, lan, secure, display, erase
        QTest::addColumn<QString>("visible");
        QTest::addColumn<QString>("ticks");
        // clang-format off
        QTest::newRow("typical update")    <<  9 << false << "100000" << "100000" << "100000";
        // A security change the run makes is listed; a display change a model without display
        // settings cannot take is neither listed nor made.
        // A settings group that does not change is not listed (no unchosen sub-items).
        QTest::newRow("custom, LAN, security wanted, display model")
                                           << 11 << true  << "011100" << "111101" << "011100";
        QTest::newRow("custom, other model") << 9 << true << "110011" << "110001" << "110001";
        QTest::newRow("settings flags without the task")
                                           << 12 << true  << "101111" << "110001" << "100001";
        // clang-format on
    }
    void summaryLinesAndTicks() {
        QFETCH(int, model);
        QFETCH(bool, custom);
        QFETCH(QString, choices);
        QFETCH(QString, visible);
        QFETCH(QString, ticks);
        SWizardApp f;
        f.app.Job().target.systemType = model;
        f.app.Job().tasks.customUpdate = custom;
        f.app.Job().tasks.updateSoftware = choices[0] == '1';
        f.app.Job().tasks.changeSettings = choices[1] == '1';
        f.app.Job().lan.changeLan = choices[2] == '1';
        f.app.Job().security.secureModeWanted = choices[3] == '1';
        f.app.Job().display.changeDisplay = choices[4] == '1';
        f.app.Job().tasks.eraseFlash = choices[5] == '1';
        auto sheet = StartSheet(f);
        QWidget* page = OpenPage(*sheet, 10);
        QCOMPARE(Visible(page, kLines), visible);
        QCOMPARE(Visible(page, kTicks), visible);
        QCOMPARE(Ticks(page), ticks);
        QCOMPARE(Find<QLabel>(page, "lineUpdate")->text(), QString("Update Software"));
        QVERIFY(Find<QLabel>(page, "labelMainText")->text().startsWith("Quillmarch now has all"));
    }

    void summaryButtonsAndBack() {
        SWizardApp f;
        auto sheet = StartSheet(f);
        OpenPage(*sheet, 5);
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageResults"));
        QPushButton* finish = sheet->Button(QWizard::FinishButton);
        QPushButton* next = sheet->Button(QWizard::NextButton);
        QVERIFY(finish->isVisible() && finish->isEnabled());
        // The last button says what it starts: an update here.
        QCOMPARE(finish->text(), QString("&Update"));
        QVERIFY(next->isHidden());

        QVERIFY(Press(*sheet, QWizard::BackButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageSoftwareUpgrade"));
        QVERIFY(finish->isHidden());
        QVERIFY(next->isVisible() && next->isEnabled());
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QVERIFY(finish->isVisible());
        QCOMPARE(finish->text(), QString("&Update"));

        // Without a software update there is nothing to call an update: Finish.
        SWizardApp settingsOnly;
        settingsOnly.app.Job().tasks.customUpdate = true;
        settingsOnly.app.Job().tasks.updateSoftware = false;
        settingsOnly.app.Job().tasks.changeSettings = true;
        auto other = StartSheet(settingsOnly);
        QWidget* summary = OpenPage(*other, 10);
        QCOMPARE(other->Button(QWizard::FinishButton)->text(), QString("&Finish"));
        QVERIFY(Find<QLabel>(summary, "labelMainText")->text().endsWith("Click Finish to start."));
    }

    // Finish asks the system whether it is in a call; Cancel keeps the wizard open and a
    // second Finish asks again.
    void summaryFinishChecksTheCall() {
        SSimOptions options;
        options.inCall = 768;
        SimulatorProcess sim(options);
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        QVERIFY(SystemConnector(f.app).ConnectToSystem(sim.Address(), sim.Password()));
        auto sheet = StartSheet(f);
        OpenPage(*sheet, 10);
        {
            MessageBoxAnswerer answerer(QMessageBox::Cancel);
            QVERIFY(Press(*sheet, QWizard::FinishButton));
            QCOMPARE(answerer.captions, QStringList({"The system is in a call"}));
        }
        QVERIFY(sheet->isVisible());
        QCOMPARE(ActivePageName(*sheet), QString("pageResults"));
        QVERIFY(sheet->Button(QWizard::BackButton)->isEnabled());
        {
            MessageBoxAnswerer answerer(QMessageBox::Ok);
            QVERIFY(Press(*sheet, QWizard::FinishButton));
            QCOMPARE(answerer.texts.size(), 1);
        }
        QCOMPARE(sheet->result(), int(QDialog::Accepted));
        QVERIFY(!sheet->isVisible());
        QTRY_COMPARE(sim.Events("http").size(), size_t(2));
    }

    void summaryFinishesAtOnceWithoutACall() {
        SimulatorProcess sim;
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        QVERIFY(SystemConnector(f.app).ConnectToSystem(sim.Address(), sim.Password()));
        auto sheet = StartSheet(f);
        OpenPage(*sheet, 10);
        MessageBoxAnswerer answerer(QMessageBox::Cancel);
        QVERIFY(Press(*sheet, QWizard::FinishButton));
        QCOMPARE(sheet->result(), int(QDialog::Accepted));
        QVERIFY(answerer.texts.isEmpty());
        QTRY_COMPARE(sim.Events("http").size(), size_t(1));
    }
};

QTEST_MAIN(TestWizardTasks)
#include "test_wizard_tasks.moc"
