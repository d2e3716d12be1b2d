// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Nothing locks the operator in: Cancel stops a device call that hangs and leaves the operator
// on a page that says what happened; a failed call never leads on to an empty page; every
// connection failure names its reason; stale status texts go away.

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest/QtTest>

#include "support/SimulatorProcess.h"
#include "support/WizardHarness.h"

using namespace quillmarch;
using namespace quillmarch::test;

namespace {

// Presses Next without waiting, lets the device call hang for a moment on `busyPage`, then
// presses Cancel. True when Cancel was usable and the call ended within a few seconds.
bool CancelWhileBusy(WizardSheet& sheet, const QString& busyPage) {
    sheet.Button(QWizard::NextButton)->click();
    if (!QTest::qWaitFor([&] { return sheet.IsBusy() && ActivePageName(sheet) == busyPage; },
                         10000))
        return false;
    QTest::qWait(400);  // the call is hanging now
    if (!sheet.IsBusy()) return false;
    QPushButton* cancel = sheet.Button(QWizard::CancelButton);
    if (!cancel->isEnabled()) return false;
    cancel->click();
    return WaitIdle(sheet, 5000);
}

}  // namespace

class TestWizardAbort : public QObject {
    Q_OBJECT

private slots:
    // A system that never greets: Cancel stops the connection attempt; the wizard stays on
    // the connection page, says so, and a second try is possible.
    void cancelStopsAHangingConnection() {
        SimulatorProcess sim({.faults = {"silent-banner"}});
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        auto sheet = OnConnectionPage(f, sim.Address(), sim.Password());
        QVERIFY(sheet);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(CancelWhileBusy(*sheet, "pageIPAddress"));
        QVERIFY(clock.elapsed() < 8000);
        QVERIFY(sheet->isVisible());
        QCOMPARE(ActivePageName(*sheet), QString("pageIPAddress"));
        QVERIFY2(Status(*sheet).startsWith("Stopped"), qPrintable(Status(*sheet)));
        QVERIFY(sheet->Button(QWizard::NextButton)->isEnabled());
        QVERIFY(sheet->Button(QWizard::NextButton)->isVisible());
        QVERIFY(f.settings.values.empty());  // nothing remembered of a stopped attempt
    }

    // A wait shows life: a moving bar and the time so far as mm:ss, gone once the call ends.
    void aHangingConnectionShowsABusyIndicatorAndItsTime() {
        SimulatorProcess sim({.faults = {"silent-banner"}});
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        auto sheet = OnConnectionPage(f, sim.Address(), sim.Password());
        QVERIFY(sheet);
        auto* bar = sheet->findChild<QProgressBar*>("busyIndicator");
        auto* time = sheet->findChild<QLabel*>("busyTime");
        QVERIFY(bar && time);
        QVERIFY(!bar->isVisible());
        sheet->Button(QWizard::NextButton)->click();
        QVERIFY(QTest::qWaitFor([&] { return sheet->IsBusy(); }, 10000));
        QVERIFY(bar->isVisible() && time->isVisible());
        QCOMPARE(bar->maximum(), 0);  // no percentage: it only moves
        QTRY_COMPARE_WITH_TIMEOUT(time->text(), QString("00:01"), 5000);
        sheet->Button(QWizard::CancelButton)->click();
        QVERIFY(WaitIdle(*sheet, 5000));
        QVERIFY(!bar->isVisible() && !time->isVisible());
    }

    // The facts page's reads hang (a file that never ends): Cancel takes the operator back to
    // the connection page with a message, disconnected, instead of an empty facts page.
    void cancelDuringAHangingReadReturnsToTheConnectionPage() {
        SimulatorProcess sim({.faults = {"drip-file:sysname.dat"}});
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        auto sheet = OnConnectionPage(f, sim.Address(), sim.Password());
        QVERIFY(sheet);
        QVERIFY(CancelWhileBusy(*sheet, "pageSystemInfo"));
        QVERIFY(sheet->isVisible());
        QCOMPARE(ActivePageName(*sheet), QString("pageIPAddress"));
        QVERIFY2(Status(*sheet).contains("system information"), qPrintable(Status(*sheet)));
        QVERIFY(!f.app.m_link->IsLoggedOn());
        QVERIFY(sheet->Button(QWizard::NextButton)->isEnabled());
    }

    // Every way a connection fails says why, after the "cannot connect" text.
    void everyConnectionFailureNamesItsReason_data() {
        QTest::addColumn<QString>("fault");  // empty: nothing listens at the address
        QTest::addColumn<QString>("reason");
        QTest::newRow("wrong password") << "wrong-password"
                                        << "Wrong password";
        QTest::newRow("nothing listening") << ""
                                           << "";
        QTest::newRow("garbage mode reply") << "garbage-flag"
                                            << "";
    }
    void everyConnectionFailureNamesItsReason() {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        SSimOptions options;
        if (!fault.isEmpty()) options.faults = {fault.toStdString()};
        SimulatorProcess sim(options);
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        const std::string address = fault.isEmpty() ? "127.0.0.1:1" : sim.Address();
        SWizardApp f;
        auto sheet = OnConnectionPage(f, address, fault.isEmpty() ? "x" : "guess");
        QVERIFY(sheet);
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageIPAddress"));
        const QString status = Status(*sheet);
        const QString lead = "Cannot connect to system: ";
        QVERIFY2(status.startsWith(lead), qPrintable(status));
        QVERIFY2(status.size() > lead.size() + 3, qPrintable(status));  // a reason follows
        if (!reason.isEmpty()) QCOMPARE(status, lead + reason);
    }

    // A failure text belongs to the address it was about: editing the address removes it.
    void editingTheAddressClearsAnOldError() {
        SWizardApp f;
        auto sheet = OnConnectionPage(f, "127.0.0.1:1", "x");
        QVERIFY(sheet);
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QVERIFY(Status(*sheet).startsWith("Cannot connect"));
        auto* box = Find<QComboBox>(sheet->ActivePage(), "comboAddress");
        QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(Status(*sheet), QString());
        QVERIFY(sheet->Button(QWizard::NextButton)->isEnabled());
    }
};

QTEST_MAIN(TestWizardAbort)
#include "test_wizard_abort.moc"
