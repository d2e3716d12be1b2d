// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The progress window across threads: the engine on a worker thread, the window and the
// message boxes on the GUI thread, and the command-line run's start and end.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <atomic>
#include <future>
#include <memory>
#include <thread>

#include "core/progress/ProgressProtocol.h"
#include "core/run/RunInterrupt.h"
#include "core/ui/MessageBoxRouter.h"
#include "gui/progress/GuiPlatformProbe.h"
#include "gui/progress/GuiRun.h"
#include "gui/progress/GuiThreadCall.h"
#include "gui/progress/ProgressDialog.h"
#include "gui/progress/ProgressDialogFactory.h"
#include "gui/progress/ProgressExitHandle.h"
#include "gui/progress/ProgressWindowBridge.h"
#include "gui/progress/QtMessageBox.h"
#include "gui/support/ProgressTestApp.h"
#include "gui/support/ProgressTestWorker.h"
#include "gui/support/WizardHarness.h"
#include "support/RecordingMessageBox.h"

using namespace quillmarch;
using quillmarch::test::CProgressTestApp;
using quillmarch::test::CProgressTestWorker;
using quillmarch::test::RecordingMessageBox;

namespace {

const std::string kCancelRecord = "Got IDCANCEL from Progress Dlg";

// The progress windows on screen (finished ones stay until closed).
QList<ProgressDialog*> ProgressWindows() {
    QList<ProgressDialog*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<ProgressDialog*>(widget);
        if (dialog && dialog->isVisible()) windows << dialog;
    }
    return windows;
}

QMessageBox* VisibleMessageBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box && box->isVisible()) return box;
    }
    return nullptr;
}

// Presses a button of every message box that shows up, remembering the texts; runs on the GUI
// thread's timer, so it also answers boxes shown while the code under test serves events.
class CBoxAnswerer : public QObject {
public:
    explicit CBoxAnswerer(QMessageBox::StandardButton button) : m_button(button) {
        connect(&m_timer, &QTimer::timeout, this, [this] { Answer(); });
        m_timer.start(10);
    }
    QStringList m_texts;
    QList<QMessageBox::Icon> m_icons;
    QStringList m_captions;
    QList<int> m_buttons;

private:
    void Answer() {
        QMessageBox* box = VisibleMessageBox();
        if (!box || !box->button(m_button)) return;
        m_texts << box->text();
        m_icons << box->icon();
        m_captions << box->windowTitle();
        m_buttons << int(box->standardButtons());
        box->button(m_button)->click();
    }
    QMessageBox::StandardButton m_button;
    QTimer m_timer;
};

// Deletes a window just as the first call queued for the application object is about to run:
// in a test where only the engine queues calls there, that call has been waiting for the GUI
// thread by then, however the threads were scheduled.
class CWindowGoesBeforeQueuedCall : public QObject {
public:
    explicit CWindowGoesBeforeQueuedCall(ProgressDialog* window) : m_window(window) {}
    bool Fired() const { return m_fired; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_fired && watched == QCoreApplication::instance() &&
            event->type() == QEvent::MetaCall) {
            m_fired = true;
            delete m_window.data();
        }
        return false;  // the call itself still runs, and finds the window gone
    }

private:
    QPointer<ProgressDialog> m_window;
    bool m_fired = false;
};

}  // namespace

class TestProgressRun : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fullRunShowsEveryTaskAndReportsOkAfterwards();
    void cancelDuringRunIsSeenAtTheNextSend();
    void windowDestroyedWhileTheEngineSends();
    void sendWaitingWhenTheWindowGoesAnswersGone();
    void enterDuringRunOnTheGuiThreadItself();
    void messageBoxFromTheWorker_data();
    void messageBoxFromTheWorker();
    void aStopClosesTheMessageBoxOnScreen();
    void commandLineRunShowsBoxesAndClosesAtExit_data();
    void commandLineRunShowsBoxesAndClosesAtExit();
    void platformProbe_data();
    void platformProbe();

private:
    std::unique_ptr<CProgressTestApp> m_testApp;
};

void TestProgressRun::init() {
    m_testApp = std::make_unique<CProgressTestApp>();
    m_testApp->StartLog();
}

void TestProgressRun::cleanup() {
    m_testApp.reset();
    ProgressExitHandle::DeleteProgressWindows();
}

void TestProgressRun::fullRunShowsEveryTaskAndReportsOkAfterwards() {
    RunContext& app = m_testApp->App();
    QWidget welcome;
    welcome.setGeometry(60, 40, 400, 300);
    QList<int> notices;
    const bool outcome =
        RunUpdateWithProgressWindow(app, &welcome, [&](int ended) { notices << ended; });
    QVERIFY(outcome);
    QCOMPARE(m_testApp->CountLogged("#### DONE : success"), 1);
    QCOMPARE(ProgressWindows().size(), 1);
    ProgressDialog* window = ProgressWindows().first();
    QCOMPARE(window->pos(), welcome.frameGeometry().topLeft());
    QCOMPARE(window->findChild<QLabel*>("currentTask")->text(), QStringLiteral("Done"));
    // Verified by default: the check after the restart is the fifth task.
    QCOMPARE(window->findChild<QGroupBox*>("taskGroup")->title(), QStringLiteral("Tasks 5/5"));
    const QTreeWidget* list = window->findChild<QTreeWidget*>("taskList");
    QCOMPARE(list->topLevelItemCount(), 5);
    QCOMPARE(list->topLevelItem(4)->text(0), QStringLiteral("Verifying the update"));
    QCOMPARE(list->topLevelItem(2)->text(0), QStringLiteral("Main Image"));
    QVERIFY2(list->topLevelItem(2)->text(1).endsWith(" KB"), "the image's bytes arrived");
    QCOMPARE(window->windowTitle(), QStringLiteral("Update Progress : 127.0.0.1"));
    // The operator closes the finished window later: the notice follows.
    QVERIFY(notices.isEmpty());
    window->findChild<QPushButton*>("okButton")->click();
    QTRY_COMPARE(notices, QList<int>{0});
    QVERIFY(app.m_progressWnd);  // the run keeps its handle; the window goes
    QTRY_COMPARE(app.m_progressWnd->Ping(), ProgressState::Gone);
}

void TestProgressRun::cancelDuringRunIsSeenAtTheNextSend() {
    RunContext& app = m_testApp->App();
    // At the first wait of the engine after the run start, the operator presses Cancel.
    std::atomic<bool> cancelled{false};
    CBoxAnswerer answerer(QMessageBox::Yes);  // "Stop the update?"
    m_testApp->m_clock.m_onWait = [&](std::chrono::milliseconds) {
        if (cancelled) return;
        CallOnGuiThread([&] {
            const QList<ProgressDialog*> windows = ProgressWindows();
            if (windows.size() != 1) return;
            ProgressDialog* window = windows.first();
            if (!window->findChild<QGroupBox*>("taskGroup")->title().startsWith("Tasks ")) return;
            window->findChild<QPushButton*>("cancelButton")->click();
            cancelled = true;
        });
    };
    QList<int> notices;
    bool returned = false;
    const bool outcome = RunUpdateWithProgressWindow(app, nullptr, [&](int ended) {
        QVERIFY2(returned, "the notice waits for the run's return");
        notices << ended;
    });
    returned = true;
    QVERIFY(cancelled);
    QVERIFY(!outcome);
    QCOMPARE(m_testApp->CountLogged(kCancelRecord), 1);
    QCOMPARE(m_testApp->CountLogged("#### DONE : failure"), 1);
    QVERIFY(!app.m_progressWnd);  // forgotten at the cancellation
    QCOMPARE(answerer.m_texts, QStringList{"Stop the update?"});
    // The window stays and says what the system was left in; its OK ends it.
    QCOMPARE(ProgressWindows().size(), 1);
    ProgressDialog* window = ProgressWindows().first();
    QVERIFY(window->findChild<QLabel*>("outcome")->text().startsWith("The update was stopped."));
    test::SaveScreenshotIfAsked(window, "progress-ending-stopped");
    QVERIFY(notices.isEmpty());
    window->findChild<QPushButton*>("okButton")->click();
    QTRY_COMPARE(notices, QList<int>{1});
    QTRY_VERIFY(ProgressWindows().isEmpty());
}

void TestProgressRun::windowDestroyedWhileTheEngineSends() {
    RunContext& app = m_testApp->App();
    ProgressDialogFactory factory(app, nullptr);
    app.SetProgressWindowFactory(&factory);
    app.m_updateRunning = true;
    std::shared_ptr<IProgressWindow> handle;
    std::atomic<int> answered{0};
    std::atomic<bool> stop{false};  // only for a failing test: the engine would not stop
    CProgressTestWorker engine([&] {
        ProgressProtocol progress(app);
        progress.StartProgressWindow();
        handle = app.m_progressWnd;
        progress.RunStarted(3, 0);
        while (!stop && progress.Percent(answered % 100)) ++answered;
        progress.TaskDone();  // nothing is sent any more
    });
    auto stopEngine = qScopeGuard([&] { stop = true; });  // runs before the worker's end
    QTRY_VERIFY(answered > 20);
    QCOMPARE(ProgressWindows().size(), 1);
    delete ProgressWindows().first();  // while a send may well be waiting for it
    QTRY_VERIFY(engine.Finished());
    QCOMPARE(m_testApp->CountLogged(kCancelRecord), 1);
    QVERIFY(!app.m_updateRunning);
    QVERIFY(!app.m_progressWnd);
    // Once the window is gone a call answers Gone at once, though the GUI thread serves nothing.
    QVERIFY(handle);
    auto send = std::async(std::launch::async, [&] {
        handle->Bytes(10);
        return handle->Ping();
    });
    const bool answeredAtOnce =
        send.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    if (!answeredAtOnce)
        QTRY_VERIFY(send.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
    QVERIFY2(answeredAtOnce, "a send to a window that is gone waited for the GUI thread");
    QCOMPARE(send.get(), ProgressState::Gone);
}

void TestProgressRun::sendWaitingWhenTheWindowGoesAnswersGone() {
    ProgressDialogFactory factory(m_testApp->App(), nullptr);
    const std::shared_ptr<IProgressWindow> handle = factory.Start();
    QCOMPARE(ProgressWindows().size(), 1);
    // The window goes while the engine's send is queued, not before it was sent: the send then
    // waits for a call that finds no window.
    QCoreApplication::processEvents();  // what the window's start queued runs before the watch
    CWindowGoesBeforeQueuedCall goes(ProgressWindows().first());
    QCoreApplication::instance()->installEventFilter(&goes);
    std::atomic<ProgressState> answer{ProgressState::Running};
    CProgressTestWorker engine([&] { answer = handle->Ping(); });
    QTRY_VERIFY(engine.Finished());
    QVERIFY(goes.Fired());
    QVERIFY(ProgressWindows().isEmpty());
    QCOMPARE(answer.load(), ProgressState::Gone);
}

void TestProgressRun::enterDuringRunOnTheGuiThreadItself() {
    RunContext& app = m_testApp->App();
    ProgressDialogFactory factory(app, nullptr);
    app.SetProgressWindowFactory(&factory);
    app.m_updateRunning = true;
    ProgressProtocol progress(app);
    progress.StartProgressWindow();  // sends go straight to the window: no deadlock
    QVERIFY(progress.RunStarted(2, 0));
    QCOMPARE(ProgressWindows().size(), 1);
    QPointer<ProgressDialog> window = ProgressWindows().first();
    QVERIFY(QTest::qWaitForWindowExposed(window.data()));
    // Enter never stops a run: the run goes on.
    QTest::keyClick(window->findChild<QTreeWidget*>("taskList"), Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(window && window->isVisible() && window->isEnabled());
    QVERIFY(progress.TaskStarted("Update Mode", kStepTaskBytes));
    QVERIFY(progress.TaskDone());
    QCOMPARE(m_testApp->CountLogged(kCancelRecord), 0);
    progress.Close();  // as the engine closes a window
    QTRY_VERIFY(window.isNull());
}

void TestProgressRun::messageBoxFromTheWorker_data() {
    QTest::addColumn<unsigned>("style");
    QTest::addColumn<QMessageBox::StandardButton>("press");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<int>("answer");

    const int ok = QMessageBox::Ok;
    const int okCancel = QMessageBox::Ok | QMessageBox::Cancel;
    const int yesNo = QMessageBox::Yes | QMessageBox::No;
    QTest::newRow("OK") << (MB_OK | MB_ICONINFORMATION) << QMessageBox::Ok << ok
                        << QMessageBox::Information << IDOK;
    QTest::newRow("OK/Cancel, Cancel") << (MB_OKCANCEL | MB_ICONQUESTION) << QMessageBox::Cancel
                                       << okCancel << QMessageBox::Question << IDCANCEL;
    QTest::newRow("OK/Cancel, OK")
        << MB_OKCANCEL << QMessageBox::Ok << okCancel << QMessageBox::NoIcon << IDOK;
    QTest::newRow("Yes/No, No") << (MB_YESNO | MB_ICONWARNING) << QMessageBox::No << yesNo
                                << QMessageBox::Warning << IDNO;
    QTest::newRow("Yes/No, Yes") << (MB_YESNO | MB_ICONERROR) << QMessageBox::Yes << yesNo
                                 << QMessageBox::Critical << IDYES;
}

void TestProgressRun::messageBoxFromTheWorker() {
    QFETCH(unsigned, style);
    QFETCH(QMessageBox::StandardButton, press);
    QtMessageBox messageBox;
    CBoxAnswerer answerer(press);  // the box is modal: it is answered from within its loop
    std::atomic<int> answer{-1};
    CProgressTestWorker worker(
        [&] { answer = messageBox.Show("Wrong password\n\tagain", "Quillmarch", style); });
    QTRY_VERIFY(worker.Finished());
    QTEST(answer.load(), "answer");
    QCOMPARE(answerer.m_texts, QStringList{"Wrong password\n\tagain"});
    QCOMPARE(answerer.m_captions, QStringList{"Quillmarch"});
    QTEST(answerer.m_icons.value(0), "icon");
    QTEST(answerer.m_buttons.value(0), "buttons");
}

void TestProgressRun::aStopClosesTheMessageBoxOnScreen() {
    // Nobody clicks: the box on screen must give way to the stop (a SIGTERM sets only atomics).
    // The box is modal, so the stop is given from within its loop, once it is seen.
    RunInterrupt interrupt;
    QtMessageBox messageBox(nullptr, &interrupt);
    bool seen = false;
    int ticksAfterStop = 0;
    QTimer stopper;
    connect(&stopper, &QTimer::timeout, [&] {
        QMessageBox* box = VisibleMessageBox();
        if (box == nullptr) return;
        // A box that outlives the stop is answered OK here, so the test fails instead of hanging.
        if (seen && ++ticksAfterStop > 100) box->button(QMessageBox::Ok)->click();
        if (seen) return;
        seen = true;
        interrupt.Request(15);
    });
    stopper.start(20);
    std::atomic<int> answer{-1};
    CProgressTestWorker worker([&] {
        answer = messageBox.Show("Could not re-connect to system.", "Quillmarch", MB_OKCANCEL);
    });
    QTRY_VERIFY(worker.Finished());
    QVERIFY(seen);
    QCOMPARE(answer.load(), IDCANCEL);
    QTRY_VERIFY(VisibleMessageBox() == nullptr);
    // A box asked for after the stop does not wait for anyone either.
    seen = true;
    QCOMPARE(messageBox.Show("Again?", "Quillmarch", MB_YESNO), IDNO);
}

void TestProgressRun::commandLineRunShowsBoxesAndClosesAtExit_data() {
    QTest::addColumn<bool>("neverBack");
    QTest::addColumn<int>("textId");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("outcome");

    // The system restarts in normal mode: UI string 292, OK only.
    QTest::newRow("not in update mode")
        << false << 292 << int(QMessageBox::Ok)
        << "The update failed: the system did not switch to update mode.";
    // It does not come back: UI string 75 with the reason, Retry or Stop; Stop ends the run in
    // the window (it used to close the window), which then says where the system was left.
    QTest::newRow("no reconnection, stopped")
        << true << 75 << int(QMessageBox::Cancel)
        << "The update failed: the system did not answer after its restart into update mode. "
           "The state of the system is unknown";
}

void TestProgressRun::commandLineRunShowsBoxesAndClosesAtExit() {
    QFETCH(bool, neverBack);
    QFETCH(int, textId);
    QFETCH(int, button);
    QFETCH(QString, outcome);
    RunContext& app = m_testApp->App();
    m_testApp->m_system.swusIgnored = true;
    if (neverBack) m_testApp->m_system.attemptsAwayAfterRestart = 1000000;
    RecordingMessageBox& console = m_testApp->m_box;
    MessageBoxRouter& router = m_testApp->m_router;
    CBoxAnswerer answerer(static_cast<QMessageBox::StandardButton>(button));
    // The run ends in the window, with its outcome, until the operator presses OK.
    QString shown;
    QString task;
    QString counts;
    QStringList listed;
    QPoint where;
    QTimer okPresser;
    connect(&okPresser, &QTimer::timeout, [&] {
        for (ProgressDialog* window : ProgressWindows()) {
            auto* ok = window->findChild<QPushButton*>("okButton");
            auto* line = window->findChild<QLabel*>("outcome");
            if (!ok->isEnabled() || !line->isVisible()) continue;
            shown = line->text();
            if (neverBack) test::SaveScreenshotIfAsked(window, "progress-ending-failure");
            task = window->findChild<QLabel*>("currentTask")->text();
            counts = window->findChild<QGroupBox*>("taskGroup")->title();
            const auto* list = window->findChild<QTreeWidget*>("taskList");
            for (int row = 0; row < list->topLevelItemCount(); ++row)
                listed << list->topLevelItem(row)->text(0);
            where = window->pos();
            ok->click();
        }
    });
    okPresser.start(10);
    int argc = 1;
    char name[] = "quillmarch";
    char* argv[] = {name, nullptr};
    QVERIFY(!RunCommandLineWithProgressWindow(app, router, argc, argv));
    okPresser.stop();
    QVERIFY2(shown.startsWith(outcome), qPrintable(shown));
    QCOMPARE(task, QStringLiteral("Done"));
    // The tasks under their own names (never a retry status), counted as far as the run got.
    QVERIFY2(!listed.join('|').contains("Retr"), qPrintable(listed.join('|')));
    QVERIFY2(counts.startsWith(QStringLiteral("Tasks %1/").arg(listed.size())), qPrintable(counts));
    QVERIFY2(!counts.endsWith(QStringLiteral("/%1").arg(listed.size())), qPrintable(counts));
    const QRect desktop = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(where, QPoint(desktop.width() / 2, desktop.height() / 2));
    QCOMPARE(answerer.m_texts.size(), 1);
    QVERIFY(answerer.m_texts[0].startsWith(QString::fromStdString(app.LoadUiString(textId, ""))));
    QVERIFY(console.shown.empty());
    router.Show("after the run", "Quillmarch", MB_OK);  // the console has its place back
    QCOMPARE(console.shown.size(), std::size_t(1));
    QVERIFY(bool(app.m_progressWnd));
    // The operator closed it with OK; the close the program's end posts finds no window.
    QTRY_VERIFY(ProgressWindows().isEmpty());
    app.m_progressWnd->PostClose();
    app.m_progressWnd.reset();
}

void TestProgressRun::platformProbe_data() {
    QTest::addColumn<QByteArray>("platform");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QString>("chosen");

    QTest::newRow("offscreen") << QByteArray("offscreen") << QByteArray() << "offscreen";
    QTest::newRow("missing plugin") << QByteArray("nosuchplatform") << QByteArray() << "";
    QTest::newRow("first usable of a list")
        << QByteArray("nosuchplatform;offscreen") << QByteArray() << "offscreen";
    QTest::newRow("X11 without a server") << QByteArray("xcb") << QByteArray(":4711") << "";
}

void TestProgressRun::platformProbe() {
    QFETCH(QByteArray, platform);
    QFETCH(QByteArray, display);
    const QByteArray savedPlatform = qgetenv("QT_QPA_PLATFORM");
    const QByteArray savedDisplay = qgetenv("DISPLAY");
    qputenv("QT_QPA_PLATFORM", platform);
    qputenv("DISPLAY", display);
    std::string reason;
    const std::string chosen = GuiPlatformProbe::ChoosePlatform(&reason);
    qputenv("QT_QPA_PLATFORM", savedPlatform);
    if (savedDisplay.isNull()) {
        qunsetenv("DISPLAY");
    } else {
        qputenv("DISPLAY", savedDisplay);
    }
    QTEST(QString::fromStdString(chosen), "chosen");
    QCOMPARE(reason.empty(), !chosen.empty());
}

QTEST_MAIN(TestProgressRun)
#include "test_progress_run.moc"
