// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Whole walks through the wizard against the system simulator, the way an operator does them:
// from the welcome dialog's Begin to a finished update run, and a Custom walk that tries the
// settings task and backs out of it.
//
// With QUILLMARCH_SCREENSHOT_DIR set, every page (and the welcome dialog) is also saved there
// as a PNG, as scripts/screenshots-wizard.sh does.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest/QtTest>
#include <functional>
#include <map>

#include "gui/app/WelcomeDialog.h"
#include "gui/progress/GuiRun.h"
#include "support/SimulatorProcess.h"
#include "support/WizardHarness.h"

using namespace quillmarch;
using namespace quillmarch::test;

namespace {

// "pageUpgradeChoice" -> "upgrade-choice", "pageIPAddress" -> "ip-address".
QString FileStem(QString name) {
    name.remove(0, 4);
    name.replace(QRegularExpression("(?<=[a-z])([A-Z])"), "-\\1");
    return name.replace(QRegularExpression("(?<=[A-Z])([A-Z][a-z])"), "-\\1").toLower();
}

void SaveScreenshot(QWidget* window, const QString& stem) {
    const QString dir = qEnvironmentVariable("QUILLMARCH_SCREENSHOT_DIR");
    if (dir.isEmpty() || !window) return;
    QDir().mkpath(dir);
    window->grab().save(dir + "/wizard-" + stem + ".png");
}

// Plays the operator on whatever wizard sheet is the modal window: on each page it runs the
// page's action (if any), which fills in the page and names the button to press; without an
// action it presses Next, or Finish on the summary. Runs on a timer, so it also works while
// the wizard's own modal loop runs.
class WizardOperator {
public:
    static constexpr int kDefault = -1;  // Next, or Finish on the summary
    using Action = std::function<int(QWidget* page)>;

    // Screenshots (when asked for) are named after the page plus `suffix`, and taken of the
    // pages in `shoot`, or of every page when it is empty.
    explicit WizardOperator(std::map<QString, Action> actions, QString suffix = {},
                            QStringList shoot = {})
        : m_actions(std::move(actions)), m_suffix(std::move(suffix)), m_shoot(std::move(shoot)) {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Step(); });
        m_timer.start();
    }
    QStringList pages;  // in the order they were shown

private:
    void Step() {
        auto* sheet = qobject_cast<WizardSheet*>(QApplication::activeModalWidget());
        if (!sheet || !sheet->isVisible() || sheet->IsBusy() || !sheet->ActivePage()) return;
        if (++m_steps > 60) {  // a walk that does not end: give up, the test then fails
            sheet->reject();
            return;
        }
        QWidget* page = sheet->ActivePage();
        const QString name = page->objectName();
        pages << name;
        const auto action = m_actions.find(name);
        int button = action == m_actions.end() ? kDefault : action->second(page);
        if (button == kDefault)
            button = name == "pageResults" ? QWizard::FinishButton : QWizard::NextButton;
        if (m_shoot.isEmpty() || m_shoot.contains(name))
            SaveScreenshot(sheet, FileStem(name) + m_suffix);
        sheet->Button(static_cast<QWizard::WizardButton>(button))->click();
    }

    std::map<QString, Action> m_actions;
    QString m_suffix;
    QStringList m_shoot;
    QTimer m_timer;
    int m_steps = 0;
};

WizardOperator::Action TypeAddress(const SimulatorProcess& sim) {
    return [&sim](QWidget* page) {
        Find<QComboBox>(page, "comboAddress")->setEditText(QString::fromStdString(sim.Address()));
        Find<QLineEdit>(page, "editPassword")->setText(QString::fromStdString(sim.Password()));
        return WizardOperator::kDefault;
    };
}

}  // namespace

class TestWizardWalk : public QObject {
    Q_OBJECT

private slots:
    // Begin, a Typical walk with the software update, Finish: the update runs with the
    // progress window and installs the image; closing that window brings the welcome back.
    void typicalWalkFromTheWelcomeDialogToAFinishedRun() {
        SimulatorProcess sim;
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f(0.01);  // waits that outlast the simulator's restarts on a loaded machine too
        f.settings.values[HistoryName(f.app)] = "10.1.2.3,192.0.2.7";
        WelcomeDialog welcome(f.app);
        welcome.SetWizardRunner([&f](RunContext& app, QWidget* owner) {
            return WizardRunner::Run(app, owner, f.settings);
        });
        bool runOutcome = false;
        welcome.SetUpdateRunner(
            [&runOutcome](RunContext& app, QWidget* parent, std::function<void(int)> onEnded) {
                runOutcome = RunUpdateWithProgressWindow(app, parent, std::move(onEnded));
                return runOutcome;
            });
        welcome.show();
        QVERIFY(QTest::qWaitForWindowExposed(&welcome));
        SaveScreenshot(&welcome, "welcome");

        WizardOperator walker({{"pageIPAddress", TypeAddress(sim)}});
        welcome.OnBegin();  // returns once the update run is over

        QCOMPARE(walker.pages,
                 QStringList({"pageInfoAlert", "pageIPAddress", "pageSystemInfo", "pageUpgradeType",
                              "pageUpgradeChoice", "pageSoftwareUpgrade", "pageResults"}));
        QVERIFY(runOutcome);
        QVERIFY(!welcome.isVisible());
        bool imageSent = false;
        for (const auto& upload : sim.Events("upload"))
            imageSent = imageSent || upload.value("name", "") == "BRAMBLE";
        QVERIFY(imageSent);
        QCOMPARE(QString::fromStdString(f.settings.values[HistoryName(f.app)]),
                 QString::fromStdString(sim.Address()) + ",10.1.2.3,192.0.2.7");
        QCOMPARE(f.settings.values["UploadSoftware"], std::string("yes"));

        // The finished progress window waits for the operator; OK shows the welcome again.
        QPushButton* ok = nullptr;
        QTRY_VERIFY((ok =
                         [] {
                             for (QWidget* widget : QApplication::topLevelWidgets()) {
                                 if (widget->objectName() == "progressDialog" &&
                                     widget->isVisible())
                                     return widget->findChild<QPushButton*>("okButton");
                             }
                             return static_cast<QPushButton*>(nullptr);
                         }()) != nullptr &&
                    ok->isEnabled());
        // The run ends on one sentence: it worked, and the version it was checked to run.
        const QString ending = ok->window()->findChild<QLabel*>("outcome")->text();
        QVERIFY2(ending.startsWith("The update succeeded: ") && ending.contains("with version"),
                 qPrintable(ending));
        QVERIFY(!welcome.isVisible());  // nothing covers it
        SaveScreenshotIfAsked(ok->window(), "progress-ending-success");
        ok->click();
        QTRY_VERIFY(welcome.isVisible());
    }

    // Custom: the settings task leads (on this LAN-only model) to the LAN page; Back, untick
    // it, and the walk goes on with the new choice (the erase, without the software update it
    // cannot share a run with). Cancel on the summary ends without a run.
    void customWalkBacksOutOfTheSettingsTask() {
        SimulatorProcess sim;
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        int settingsVisits = 0;
        QString eraseLine;
        QString eraseDetail;
        std::map<QString, WizardOperator::Action> actions{
            {"pageIPAddress", TypeAddress(sim)},
            {"pageUpgradeType",
             [](QWidget* page) {
                 Find<QRadioButton>(page, "radioCustom")->click();
                 return WizardOperator::kDefault;
             }},
            {"pageUpgradeChoice",
             [&settingsVisits](QWidget* page) {
                 auto* update = Find<QCheckBox>(page, "checkUpdateSoftware");
                 if (update->isChecked()) update->click();
                 auto* change = Find<QCheckBox>(page, "checkChangeSettings");
                 if (change->isChecked() != (settingsVisits == 0)) change->click();
                 auto* erase = Find<QCheckBox>(page, "checkEraseFlash");
                 if (!erase->isChecked()) erase->click();
                 return WizardOperator::kDefault;
             }},
            {"pageNetworkSettings",
             [&settingsVisits](QWidget*) {
                 ++settingsVisits;
                 return QWizard::BackButton;
             }},
            {"pageResults",
             [&eraseLine, &eraseDetail](QWidget* page) {
                 eraseLine = Find<QLabel>(page, "lineErase")->text();
                 eraseDetail = Find<QLabel>(page, "detailErase")->text();
                 return QWizard::CancelButton;
             }},
        };
        WizardOperator walker(std::move(actions), "-custom",
                              {"pageUpgradeType", "pageUpgradeChoice", "pageSoftwareUpgrade",
                               "pageNetworkSettings", "pageResults"});
        QVERIFY(!WizardRunner::Run(f.app, nullptr, f.settings));

        QCOMPARE(walker.pages,
                 QStringList({"pageInfoAlert", "pageIPAddress", "pageSystemInfo", "pageUpgradeType",
                              "pageUpgradeChoice", "pageNetworkSettings", "pageUpgradeChoice",
                              "pageSoftwareUpgrade", "pageResults"}));
        QCOMPARE(settingsVisits, 1);
        QVERIFY(f.app.Job().tasks.customUpdate);
        QVERIFY(!f.app.Job().tasks.changeSettings);
        QVERIFY(!f.app.Job().tasks.updateSoftware);
        QVERIFY(f.app.Job().tasks.eraseFlash);
        // The summary's erase line says what the erase keeps and that the rest is lost.
        QCOMPARE(eraseLine, QString("Erase System Flash Memory"));
        QVERIFY2(eraseDetail.contains("Only these are kept: the address books (.abk files)"),
                 qPrintable(eraseDetail));
        QVERIFY2(eraseDetail.endsWith("is erased for good."), qPrintable(eraseDetail));
        QVERIFY(!f.app.m_log.IsOpen());  // Cancel closed it
        QVERIFY(sim.Events("upload").empty());
    }
};

QTEST_MAIN(TestWizardWalk)
#include "test_wizard_walk.moc"
