// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The connection page against the system simulator: address history, refused systems, the
// in-call question, connection failures, passive mode and the detailed-log switch.

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QtTest/QtTest>
#include <filesystem>

#include "core/util/AddressNames.h"
#include "support/SimulatorProcess.h"
#include "support/WizardHarness.h"

using namespace quillmarch;
using namespace quillmarch::test;

namespace {

const QString kRefuseTail =
    "See the help page or the README for the systems this version of Quillmarch can update.";

}  // namespace

class TestWizardConnection : public QObject {
    Q_OBJECT

private slots:
    // What the address box lists on activation, before any connection.
    void addressBoxListsTheCurrentAddressOnce() {
        SWizardApp f;
        f.settings.values[HistoryName(f.app)] = "a,,HOST.example,c";
        f.app.Job().target.address = "host.Example";
        auto sheet = StartSheet(f);
        QVERIFY(Press(*sheet, QWizard::NextButton));
        auto* box = Find<QComboBox>(sheet->ActivePage(), "comboAddress");
        QStringList items;
        for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
        QCOMPARE(items, QStringList({"host.Example", "a", "c"}));
        QCOMPARE(box->currentText(), QString("host.Example"));
        QVERIFY(sheet->Button(QWizard::NextButton)->isEnabled());

        // Next follows the operator's text.
        box->lineEdit()->selectAll();
        QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
        QVERIFY(!sheet->Button(QWizard::NextButton)->isEnabled());
        QTest::keyClicks(box->lineEdit(), "x");
        QVERIFY(sheet->Button(QWizard::NextButton)->isEnabled());
    }

    // After connecting, the address used goes to the front of the model's history.
    void connectingSavesTheAddressHistory_data() {
        QTest::addColumn<QString>("history");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("writes");
        QTest::newRow("later entry moves to the front") << "a,LOCALHOST:%1,c"
                                                        << "localhost:%1"
                                                        << "localhost:%1,a,c" << 1;
        QTest::newRow("first entry stays") << "127.0.0.1:%1,b,c"
                                           << "127.0.0.1:%1"
                                           << "127.0.0.1:%1,b,c" << 0;
        QTest::newRow("new address in front") << "a,b,c"
                                              << "127.0.0.1:%1"
                                              << "127.0.0.1:%1,a,b,c" << 1;
    }
    void connectingSavesTheAddressHistory() {
        QFETCH(QString, history);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(int, writes);
        SimulatorProcess sim;
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        const QString port = QString::number(sim.FtpPort());
        SWizardApp f;
        const std::string name = HistoryName(f.app);
        history.replace("%1", port);
        typed.replace("%1", port);
        expected.replace("%1", port);
        f.settings.values[name] = history.toStdString();
        auto sheet = OnConnectionPage(f, typed.toStdString(), sim.Password());
        QVERIFY(sheet);

        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageSystemInfo"));
        QCOMPARE(QString::fromStdString(f.settings.values[name]), expected);
        QCOMPARE(f.settings.writes, writes);
        QCOMPARE(f.app.Job().target.systemType, 9);
        QCOMPARE(sheet->GetPageCount(), 3);
        // The detailed log was restarted under the address's name before connecting.
        QVERIFY(std::filesystem::exists(f.dir.Path() /
                                        (address::LocalName(typed.toStdString()) + ".log")));
    }

    void refusedSystemStaysConnected_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("unnamed");
        QTest::addColumn<QString>("named");
        // Row 0 has no image in this build; a system nothing recognises is type 14.
        QTest::newRow("model without an image") << 0 << false << "MDR";
        QTest::newRow("unrecognised system") << 9 << true << "unsupported system.";
    }
    void refusedSystemStaysConnected() {
        QFETCH(int, model);
        QFETCH(bool, unnamed);
        QFETCH(QString, named);
        SSimOptions options;
        options.model = model;
        if (unnamed) options.flagModel = "";  // FLAG names no model, model.dat neither
        SimulatorProcess sim(options);
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        if (unnamed) QVERIFY(sim.PutFile("model.dat", "toaster"));
        SWizardApp f;
        auto sheet = OnConnectionPage(f, sim.Address(), sim.Password());
        QVERIFY(sheet);

        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageIPAddress"));
        QCOMPARE(Status(*sheet), "Quillmarch cannot update: " + named + "\n" + kRefuseTail);
        QVERIFY(sheet->Button(QWizard::NextButton)->isEnabled());
        QVERIFY(f.app.m_link->IsLoggedOn());
        QVERIFY(f.settings.values.empty());   // nothing remembered
        QVERIFY(sim.Events("http").empty());  // no call check either
    }

    void systemInCallAsksFirst_data() {
        QTest::addColumn<bool>("agree");
        QTest::newRow("declined") << false;
        QTest::newRow("agreed") << true;
    }
    void systemInCallAsksFirst() {
        QFETCH(bool, agree);
        SSimOptions options;
        options.inCall = 384;
        SimulatorProcess sim(options);
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        auto sheet = OnConnectionPage(f, sim.Address(), sim.Password());
        QVERIFY(sheet);

        MessageBoxAnswerer answerer(agree ? QMessageBox::Ok : QMessageBox::Cancel);
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(answerer.captions, QStringList({"The system is in a call"}));
        QCOMPARE(answerer.texts.value(0),
                 QString("The current call will be disconnected if you update now.\nDo you want "
                         "to continue?"));
        const std::string log =
            ReadFile(f.dir.Path() / ("127_0_0_1_" + std::to_string(sim.FtpPort()) + ".log"));
        QVERIFY(log.find("The system is in a call") != std::string::npos);
        if (agree) {
            QCOMPARE(ActivePageName(*sheet), QString("pageSystemInfo"));
            return;
        }
        QCOMPARE(ActivePageName(*sheet), QString("pageIPAddress"));
        QCOMPARE(Status(*sheet), QString());  // no longer "Trying to connect"
        QVERIFY(sheet->Button(QWizard::NextButton)->isEnabled());
        QVERIFY(f.settings.values.empty());
    }

    void wrongPasswordIsNamedInTheStatusLine() {
        SimulatorProcess sim({.faults = {"wrong-password"}});
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        auto sheet = OnConnectionPage(f, sim.Address(), "guess");
        QVERIFY(sheet);
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageIPAddress"));
        QCOMPARE(Status(*sheet), QString("Cannot connect to system: Wrong password"));
        QVERIFY(sheet->Button(QWizard::NextButton)->isEnabled());
        // A second try runs the whole sequence again on a fresh link.
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QTRY_COMPARE(sim.Events("login").size(), size_t(2));  // the journal may lag the reply
    }

    void emptyAddressFailsToConnect() {
        SWizardApp f;
        auto sheet = OnConnectionPage(f, "", "");
        QVERIFY(sheet);
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageIPAddress"));
        QVERIFY(Status(*sheet).startsWith("Cannot connect to system"));
    }

    void passiveCheckBoxFollowsTheLink() {
        SWizardApp f;
        auto sheet = StartSheet(f);
        QVERIFY(Press(*sheet, QWizard::NextButton));
        auto* passive = Find<QCheckBox>(sheet->ActivePage(), "checkPassive");
        QCOMPARE(passive->text(), QString("&Use Passive FTP"));  // Alt+U
        QVERIFY(!passive->isChecked());
        passive->click();
        QVERIFY(f.app.Job().target.passiveMode);
        QVERIFY(f.app.m_link->GetPassive());
        QVERIFY(passive->isChecked());
        QCOMPARE(Status(*sheet), QString("Passive FTP Mode, used for systems behind firewalls"));
        passive->click();
        QVERIFY(!f.app.Job().target.passiveMode);
        QCOMPARE(Status(*sheet), QString("Normal FTP Mode"));
    }

    // The context menu's log switch: off closes the log, and Next then opens none.
    void contextMenuSwitchesTheDetailedLogOff() {
        SimulatorProcess sim;
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        auto sheet = OnConnectionPage(f, sim.Address(), sim.Password());
        QVERIFY(sheet);
        QCOMPARE(f.app.Job().options.logLevel, 1);
        f.app.StartLog(f.dir.Str("before.log"));

        QStringList seen;
        QTimer::singleShot(50, [&seen] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* action : menu->actions())
                seen << action->text() + (action->isChecked() ? "+" : "-");
            if (auto* log = menu->findChild<QAction*>("actionAdvancedLog")) log->trigger();
            menu->close();
        });
        QWidget* page = sheet->ActivePage();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                page->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(page, &event);
        QCOMPARE(seen, QStringList({"Use Passive FTP-", "Advanced Log+"}));
        QCOMPARE(f.app.Job().options.logLevel, 0);
        QVERIFY(!f.app.m_log.IsOpen());

        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageSystemInfo"));
        QVERIFY(!f.app.m_log.IsOpen());
        QVERIFY(!std::filesystem::exists(f.dir.Path() /
                                         ("127_0_0_1_" + std::to_string(sim.FtpPort()) + ".log")));
    }
};

QTEST_MAIN(TestWizardConnection)
#include "test_wizard_connection.moc"
