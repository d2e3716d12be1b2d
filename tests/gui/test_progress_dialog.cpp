// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The progress window's handlers, driven with progress calls on the GUI thread.
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <memory>
#include <optional>
#include <string>

#include "gui/progress/ProgressDialog.h"
#include "gui/support/ProgressTestApp.h"

using namespace quillmarch;
using quillmarch::test::CProgressTestApp;

namespace {

// A name as the tests give it: a null text is no name at all.
std::optional<std::string> Name(const QString& text) {
    if (text.isNull()) return std::nullopt;
    return text.toStdString();
}

}  // namespace

class TestProgressDialog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void percentageShowsTextAndBar_data();
    void percentageShowsTextAndBar();
    void byteCountsAgainstTheTaskTotal_data();
    void byteCountsAgainstTheTaskTotal();
    void formatByteCount_data();
    void formatByteCount();
    void formatSpan_data();
    void formatSpan();
    void retryStatusIsNeitherListedNorCounted();
    void moreTasksFinishedThanAnnounced();
    void unnamedTasks_data();
    void unnamedTasks();
    void titleFollowsTheCaptionAndTheMinimisedState_data();
    void titleFollowsTheCaptionAndTheMinimisedState();
    void timerShowsRunTimeAndCurrentTaskTime();
    void runEndOffersOkAndQuit();
    void closing_data();
    void closing();
    void stopDuringTheRun_data();
    void stopDuringTheRun();
    void placement();
    void columnsFitTheirContentsAndTheWindowResizes();
    void labelsAndNothingCountedBeforeTheFirstTask();

private:
    QString Text(const char* name) const;
    QProgressBar* Bar() const { return m_dialog->findChild<QProgressBar*>("progressBar"); }
    QTreeWidget* List() const { return m_dialog->findChild<QTreeWidget*>("taskList"); }
    QString GroupTitle() const { return m_dialog->findChild<QGroupBox*>("taskGroup")->title(); }
    QPushButton* Button(const char* name) const { return m_dialog->findChild<QPushButton*>(name); }

    std::unique_ptr<CProgressTestApp> m_testApp;
    QPointer<ProgressDialog> m_dialog;
};

void TestProgressDialog::init() {
    m_testApp = std::make_unique<CProgressTestApp>();
    m_dialog = new ProgressDialog(m_testApp->App());
}

void TestProgressDialog::cleanup() {
    delete m_dialog.data();
    m_testApp.reset();
}

QString TestProgressDialog::Text(const char* name) const {
    const auto* label = m_dialog->findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

void TestProgressDialog::percentageShowsTextAndBar_data() {
    QTest::addColumn<qint64>("percent");
    QTest::addColumn<QString>("name");  // replacement task name, null for none
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("task");

    QTest::newRow("negative shows 90") << qint64(-5) << QString() << "90 %" << 90 << "Main Image";
    QTest::newRow("above 100 fills the bar")
        << qint64(150) << QString() << "150 %" << 100 << "Main Image";
    QTest::newRow("zero") << qint64(0) << QString() << "0 %" << 0 << "Main Image";
    // A named status is a wait on the system: no number, a busy bar (checked below).
    QTest::newRow("with a new task name") << qint64(42) << "Update Mode-Retry"
                                          << "waiting for the system" << 0 << "Update Mode-Retry";
    QTest::newRow("with an empty task name") << qint64(7) << ""
                                             << "7 %" << 7 << "";
}

void TestProgressDialog::percentageShowsTextAndBar() {
    QFETCH(qint64, percent);
    QFETCH(QString, name);
    m_dialog->TaskStarted("Main Image", kStepTaskBytes);
    QCOMPARE(m_dialog->Percent(percent, Name(name)), ProgressState::Running);
    QTEST(Text("currentPercent"), "shown");
    QTEST(Bar()->value(), "bar");
    QTEST(Text("currentTask"), "task");
    QCOMPARE(Bar()->maximum() == 0, !name.isEmpty());
}

// The restart wait as the engine drives it: percentages, then a retry status, then more
// percentages. No number after the retry began, the finished task listed under its own name,
// and a run that ends early counts only the tasks that ended.
void TestProgressDialog::retryStatusIsNeitherListedNorCounted() {
    m_dialog->RunStarted(5, 0);
    m_dialog->TaskStarted("Backup", kStepTaskBytes);
    m_dialog->TaskDone();
    m_dialog->TaskStarted("Update Mode", kStepTaskBytes);
    m_dialog->Percent(78, std::nullopt);
    QCOMPARE(Text("currentPercent"), QStringLiteral("78 %"));
    m_dialog->Percent(79, std::string("Update Mode - Retrying"));
    for (const qint64 percent : {78, 90, 97}) {
        m_dialog->Percent(percent, std::nullopt);
        QCOMPARE(Text("currentPercent"), QStringLiteral("waiting for the system"));
        QCOMPARE(Bar()->maximum(), 0);
    }
    QCOMPARE(Text("currentTask"), QStringLiteral("Update Mode - Retrying"));
    m_dialog->TaskDone();
    QCOMPARE(List()->topLevelItem(1)->text(0), QStringLiteral("Update Mode"));
    // The next task counts again.
    m_dialog->TaskStarted("Main Image", kStepTaskBytes);
    m_dialog->Percent(5, std::nullopt);
    QCOMPARE(Text("currentPercent"), QStringLiteral("5 %"));
    QCOMPARE(Bar()->maximum(), 100);
    m_dialog->RunEnded();
    QCOMPARE(GroupTitle(), QStringLiteral("Tasks 2/5"));
    QCOMPARE(Text("currentPercent"), QStringLiteral("2 / 5"));
    QCOMPARE(Bar()->value(), 100);
}

void TestProgressDialog::byteCountsAgainstTheTaskTotal_data() {
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QList<qint64>>("posts");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("rowBytes");  // the finished task's bytes column

    QTest::newRow("total 0 is full at once")
        << qint64(0) << QList<qint64>{700} << "100%\t0 / 0 B" << 100 << "";
    QTest::newRow("total 1 overtaken")
        << qint64(1) << QList<qint64>{5000} << "100%\t5 / 1 B" << 100 << "5 KB";
    QTest::newRow("total 1 raised to the count")
        << qint64(1) << QList<qint64>{5000, 6000} << "100%\t5 / 5 KB" << 100 << "5 KB";
    QTest::newRow("total 5000, 1500")
        << qint64(5000) << QList<qint64>{1500} << " 30%\t1 / 5 KB" << 30 << "1 KB";
    QTest::newRow("total 5000, 1500 then 2500")
        << qint64(5000) << QList<qint64>{1500, 2500} << " 50%\t2 / 5 KB" << 50 << "2 KB";
    QTest::newRow("total 5000 reached, then more")
        << qint64(5000) << QList<qint64>{5000, 7000} << "100%\t5 / 5 KB" << 100 << "5 KB";
    QTest::newRow("an image in thousands") << qint64(12345678) << QList<qint64>{3000000}
                                           << " 24%\t3,000 / 12,345 KB" << 24 << "3,000 KB";
}

void TestProgressDialog::byteCountsAgainstTheTaskTotal() {
    QFETCH(qint64, total);
    QFETCH(QList<qint64>, posts);
    m_dialog->TaskStarted("Main Image", total);
    for (qint64 bytes : posts) m_dialog->Bytes(bytes);
    QTEST(Text("currentPercent"), "shown");
    QTEST(Bar()->value(), "bar");
    m_dialog->TaskDone();
    QCOMPARE(List()->topLevelItemCount(), 1);
    QTEST(List()->topLevelItem(0)->text(1), "rowBytes");
    // The next task starts from nothing.
    m_dialog->TaskStarted("Next", 5000);
    m_dialog->Bytes(2500);
    QCOMPARE(Text("currentPercent"), QStringLiteral(" 50%\t2 / 5 KB"));
}

void TestProgressDialog::formatByteCount_data() {
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("withUnit");
    QTest::addColumn<QString>("number");

    QTest::newRow("999") << qint64(999) << "999 B"
                         << "999";
    QTest::newRow("1000") << qint64(1000) << "1 KB"
                          << "1";
    QTest::newRow("999999") << qint64(999999) << "999 KB"
                            << "999";
    QTest::newRow("1000000") << qint64(1000000) << "1,000 KB"
                             << "1,000";
    QTest::newRow("12345678") << qint64(12345678) << "12,345 KB"
                              << "12,345";
    QTest::newRow("0") << qint64(0) << "0 B"
                       << "0";
    QTest::newRow("negative") << qint64(-1500) << "-1500 B"
                              << "-1500";
    QTest::newRow("beyond 32 bits") << qint64(5000000000) << "5,000,000 KB"
                                    << "5,000,000";
}

void TestProgressDialog::formatByteCount() {
    QFETCH(qint64, count);
    QTEST(ProgressDialog::FormatByteCount(count, true), "withUnit");
    QTEST(ProgressDialog::FormatByteCount(count, false), "number");
}

void TestProgressDialog::formatSpan_data() {
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("shown");

    // Minutes and seconds; hours only once there are any, and they are not a time of day.
    QTest::newRow("nothing") << qint64(0) << "00:00";
    QTest::newRow("30 s") << qint64(30) << "00:30";
    QTest::newRow("5 min 12 s") << qint64(312) << "05:12";
    QTest::newRow("59 min 59 s") << qint64(3599) << "59:59";
    QTest::newRow("1 h 1 min 1 s") << qint64(3661) << "1:01:01";
    QTest::newRow("more than a day") << qint64(25 * 3600) << "25:00:00";
    QTest::newRow("a clock step back") << qint64(-3) << "00:00";
}

void TestProgressDialog::formatSpan() {
    QFETCH(qint64, seconds);
    QTEST(ProgressDialog::FormatSpan(seconds), "shown");
}

void TestProgressDialog::moreTasksFinishedThanAnnounced() {
    m_dialog->RunStarted(2, 0);
    QCOMPARE(GroupTitle(), QStringLiteral("Tasks 0/2"));
    const QStringList expected = {"Tasks 1/2", "Tasks 2/2", "Tasks 3/3"};
    for (const QString& title : expected) {
        m_dialog->TaskStarted("Task", kStepTaskBytes);
        QCOMPARE(m_dialog->TaskDone(), ProgressState::Running);
        QCOMPARE(GroupTitle(), title);
    }
    m_dialog->RunEnded();
    QCOMPARE(GroupTitle(), QStringLiteral("Tasks 3/3"));
    QCOMPARE(Text("currentPercent"), QStringLiteral("3 / 3"));
    QCOMPARE(List()->topLevelItemCount(), 3);
}

void TestProgressDialog::unnamedTasks_data() {
    QTest::addColumn<bool>("started");
    QTest::addColumn<QString>("name");  // null: the task start carries no name
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("listed");

    QTest::newRow("no name") << true << QString() << "Unknown Task"
                             << "Unknown Task";
    QTest::newRow("empty name") << true << ""
                                << ""
                                << "Unknown task";
    QTest::newRow("done without a start") << false << QString() << ""
                                          << "Unknown task";
    QTest::newRow("named") << true << "Backup files"
                           << "Backup files"
                           << "Backup files";
}

void TestProgressDialog::unnamedTasks() {
    QFETCH(bool, started);
    QFETCH(QString, name);
    m_dialog->RunStarted(1, 0);
    if (started) {
        m_dialog->TaskStarted(Name(name), kStepTaskBytes);
    }
    QTEST(Text("currentTask"), "shown");
    m_dialog->TaskDone();
    QCOMPARE(List()->topLevelItemCount(), 1);
    QTEST(List()->topLevelItem(0)->text(0), "listed");
    QCOMPARE(Text("currentTask"), QString());
}

void TestProgressDialog::titleFollowsTheCaptionAndTheMinimisedState_data() {
    QTest::addColumn<bool>("minimised");
    QTest::addColumn<qint64>("percent");
    QTest::addColumn<QString>("caption");  // null: no caption was sent
    QTest::addColumn<QString>("title");

    // A system without a name sends "-address": no stray "-" in the title.
    QTest::newRow("normal") << false << qint64(45) << "-10.0.0.1"
                            << "Update Progress : 10.0.0.1";
    QTest::newRow("named system") << false << qint64(45) << "Room-1-10.0.0.1"
                                  << "Update Progress : Room-1-10.0.0.1";
    QTest::newRow("minimised at 45 %") << true << qint64(45) << "-10.0.0.1"
                                       << "  45% 10.0.0.1";
    QTest::newRow("minimised at 98 %") << true << qint64(98) << "-10.0.0.1"
                                       << "  98% 10.0.0.1";
    QTest::newRow("minimised at 99 %") << true << qint64(99) << "-10.0.0.1"
                                       << "10.0.0.1";
    QTest::newRow("minimised above 100 %") << true << qint64(150) << "-10.0.0.1"
                                           << "10.0.0.1";
    QTest::newRow("minimised without caption")
        << true << qint64(5) << QString() << "   5% Progress Dialog";
}

void TestProgressDialog::titleFollowsTheCaptionAndTheMinimisedState() {
    QFETCH(bool, minimised);
    QFETCH(qint64, percent);
    QFETCH(QString, caption);
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Progress Dialog"));
    if (!caption.isNull()) m_dialog->Caption(caption.toStdString());
    m_dialog->TaskStarted("Main Image", kStepTaskBytes);
    m_dialog->Percent(percent, std::nullopt);
    if (minimised) m_dialog->setWindowState(Qt::WindowMinimized);
    m_dialog->OnProgressTimer();
    QTEST(m_dialog->windowTitle(), "title");
}

void TestProgressDialog::timerShowsRunTimeAndCurrentTaskTime() {
    m_dialog->RunStarted(2, 0);
    m_testApp->m_clock.Advance(std::chrono::seconds(312));
    m_dialog->TaskStarted("Backup files", kStepTaskBytes);
    m_testApp->m_clock.Advance(std::chrono::seconds(65));
    m_dialog->OnProgressTimer();
    QCOMPARE(Text("runTime"), QStringLiteral("06:17"));
    QCOMPARE(Text("taskTime"), QStringLiteral("00:00"));  // the bar is still at 0
    m_dialog->Percent(10, std::nullopt);
    m_dialog->OnProgressTimer();
    QCOMPARE(Text("taskTime"), QStringLiteral("01:05"));
    m_dialog->TaskDone();
    QCOMPARE(List()->topLevelItem(0)->text(2), QStringLiteral("01:05"));
    QCOMPARE(Text("taskTime"), QStringLiteral("00:00"));
}

void TestProgressDialog::runEndOffersOkAndQuit() {
    const auto* timer = m_dialog->findChild<QTimer*>("progressTimer");
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 500);
    QVERIFY(!Button("okButton")->isEnabled());
    QVERIFY(Button("cancelButton")->isEnabled());
    QCOMPARE(Button("cancelButton")->text(), QStringLiteral("&Cancel"));  // Alt+C
    m_dialog->RunStarted(2, 0);
    m_dialog->TaskStarted("Update Mode", kStepTaskBytes);
    m_dialog->Percent(40, std::nullopt);
    QCOMPARE(m_dialog->RunEnded(), ProgressState::Running);
    QCOMPARE(Text("currentTask"), QStringLiteral("Done"));
    // Ended before its first task finished: none of the two is counted done.
    QCOMPARE(Text("currentPercent"), QStringLiteral("0 / 2"));
    QCOMPARE(Text("taskTime"), QString());
    QCOMPARE(Bar()->value(), 100);
    QCOMPARE(GroupTitle(), QStringLiteral("Tasks 0/2"));
    QVERIFY(Button("okButton")->isEnabled());
    QVERIFY(Button("cancelButton")->isEnabled());
    QCOMPARE(Button("cancelButton")->text(), QStringLiteral("&Quit"));
    QVERIFY(!timer->isActive());  // the run time stops with the run
}

enum class EAction { Enter, Escape, OkClick, CancelClick, CloseMessage };
Q_DECLARE_METATYPE(EAction)

void TestProgressDialog::closing_data() {
    QTest::addColumn<bool>("runEnded");
    QTest::addColumn<qint64>("parent");
    QTest::addColumn<EAction>("action");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("ended");  // the notice for the parent, -1 for none

    // During the run Enter, Escape and Cancel do not close the window: stopDuringTheRun.
    QTest::newRow("closed by the engine")
        << false << qint64(77) << EAction::CloseMessage << true << -1;
    QTest::newRow("Enter after the run") << true << qint64(77) << EAction::Enter << true << 0;
    QTest::newRow("OK after the run") << true << qint64(77) << EAction::OkClick << true << 0;
    QTest::newRow("Quit after the run") << true << qint64(77) << EAction::CancelClick << true << 1;
}

void TestProgressDialog::closing() {
    QFETCH(bool, runEnded);
    QFETCH(qint64, parent);
    QFETCH(EAction, action);
    QFETCH(bool, closes);
    QFETCH(int, ended);
    QSignalSpy notices(m_dialog.data(), &ProgressDialog::EndedPosted);
    m_dialog->ShowAbove();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.data()));
    m_dialog->RunStarted(3, parent);
    if (runEnded) m_dialog->RunEnded();
    switch (action) {
        case EAction::Enter:  // from the list, which leaves Enter to the dialog
            QTest::keyClick(List(), Qt::Key_Return);
            break;
        case EAction::Escape:
            QTest::keyClick(List(), Qt::Key_Escape);
            break;
        case EAction::OkClick:
            QTest::mouseClick(Button("okButton"), Qt::LeftButton);
            break;
        case EAction::CancelClick:
            QTest::mouseClick(Button("cancelButton"), Qt::LeftButton);
            break;
        case EAction::CloseMessage:
            QCOMPARE(m_dialog->Close(), ProgressState::Closed);
            break;
    }
    QVERIFY(closes);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->State(), ProgressState::Closed);
    QTRY_VERIFY(m_dialog.isNull());  // it deletes itself
    QCOMPARE(notices.count(), ended < 0 ? 0 : 1);
    if (ended >= 0) {
        QCOMPARE(notices.at(0).at(0).toLongLong(), parent);
        QCOMPARE(notices.at(0).at(1).toInt(), ended);
    }
}

void TestProgressDialog::placement() {
    // Without a main window: the corner in the middle of the desktop.
    const QRect desktop = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(m_dialog->pos(), QPoint(desktop.width() / 2, desktop.height() / 2));
    // With one: on its top-left corner.
    QWidget mainWindow;
    mainWindow.setGeometry(37, 81, 300, 200);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    ProgressDialog placed(m_testApp->App(), &mainWindow);
    QCOMPARE(placed.pos(), mainWindow.frameGeometry().topLeft());
}

// Task names and byte counts are never cut: the columns take their contents' width, and the
// window can be made larger (and no smaller than its contents).
void TestProgressDialog::columnsFitTheirContentsAndTheWindowResizes() {
    QTreeWidget* list = List();
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("Tasks"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Bytes"));
    QCOMPARE(list->headerItem()->text(2), QStringLiteral("Time"));
    const QString name = "Retaining : Address Book, System Settings, Sample Sites, Call Detail";
    m_dialog->TaskStarted(name.toStdString(), 123456789);
    m_dialog->Bytes(123456789);
    m_dialog->TaskDone();
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.data()));
    const QFontMetrics metrics = list->fontMetrics();
    QVERIFY(list->columnWidth(0) >= metrics.horizontalAdvance(name));
    QVERIFY(list->columnWidth(1) >= metrics.horizontalAdvance(QStringLiteral("123,456 KB")));
    // The window grew so that the byte counts stay in view beside the long name.
    QVERIFY(list->columnViewportPosition(1) + list->columnWidth(1) <= list->viewport()->width());
    QVERIFY(m_dialog->maximumWidth() > m_dialog->minimumWidth());
    QVERIFY(m_dialog->minimumWidth() > 200 && m_dialog->minimumHeight() > 200);
}

void TestProgressDialog::labelsAndNothingCountedBeforeTheFirstTask() {
    QCOMPARE(Text("runTimeLabel"), QStringLiteral("Time:"));
    QCOMPARE(m_dialog->findChild<QGroupBox*>("currentTaskGroup")->title(),
             QStringLiteral("Current task"));
    QCOMPARE(Text("currentTaskLabel"), QStringLiteral("Task:"));
    QCOMPARE(Text("completeLabel"), QStringLiteral("Complete:"));
    QCOMPARE(Text("taskTimeLabel"), QStringLiteral("Time:"));
    for (const char* name : {"runTime", "currentTask", "currentPercent", "taskTime"})
        QVERIFY2(!Text(name).contains("0 / 0") && !Text(name).startsWith('-'), name);
    QCOMPARE(Text("runTime"), QStringLiteral("00:00"));
}

// During the run Enter means nothing; Cancel and Escape ask first. Stopping keeps the window
// (the engine's close included) until it can say what state the system is left in.
void TestProgressDialog::stopDuringTheRun_data() {
    QTest::addColumn<EAction>("action");
    QTest::addColumn<bool>("agree");
    QTest::addColumn<bool>("stops");
    QTest::newRow("Enter") << EAction::Enter << true << false;
    QTest::newRow("Cancel, not agreed") << EAction::CancelClick << false << false;
    QTest::newRow("Cancel, agreed") << EAction::CancelClick << true << true;
    QTest::newRow("Escape, agreed") << EAction::Escape << true << true;
}

void TestProgressDialog::stopDuringTheRun() {
    QFETCH(EAction, action);
    QFETCH(bool, agree);
    QFETCH(bool, stops);
    QSignalSpy notices(m_dialog.data(), &ProgressDialog::EndedPosted);
    m_dialog->ShowAbove();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.data()));
    m_dialog->RunStarted(3, 77);
    QStringList questions;
    bool noIsDefault = false;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        questions << box->text();
        noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
        box->button(agree ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    answerer.start(10);
    if (action == EAction::Enter) QTest::keyClick(List(), Qt::Key_Return);
    if (action == EAction::Escape) QTest::keyClick(List(), Qt::Key_Escape);
    if (action == EAction::CancelClick) QTest::mouseClick(Button("cancelButton"), Qt::LeftButton);
    answerer.stop();

    QVERIFY(m_dialog && m_dialog->isVisible() && m_dialog->isEnabled());
    QCOMPARE(questions, action == EAction::Enter ? QStringList() : QStringList{"Stop the update?"});
    if (action != EAction::Enter) QVERIFY(noIsDefault);
    QCOMPARE(m_dialog->State(), stops ? ProgressState::Closed : ProgressState::Running);
    QCOMPARE(m_dialog->IsStopping(), stops);
    QCOMPARE(notices.count(), 0);
    if (!stops) return;
    QCOMPARE(Text("outcome"), QStringLiteral("Stopping the update..."));
    QCOMPARE(m_dialog->Close(), ProgressState::Closed);  // the engine's answer
    QVERIFY(m_dialog->isVisible());
    QVERIFY(!Button("okButton")->isEnabled());
    m_dialog->ShowStopped(ProgressDialog::SystemState::kUpdateMode);
    QVERIFY(Text("outcome").contains("still in update mode"));
    QVERIFY(Button("okButton")->isEnabled());
    QTest::keyClick(List(), Qt::Key_Return);  // OK now
    QTRY_VERIFY(m_dialog.isNull());
    QCOMPARE(notices.count(), 1);
    QCOMPARE(notices.at(0).at(1).toInt(), 1);  // a stopped run, as a cancel
}

QTEST_MAIN(TestProgressDialog)
#include "test_progress_dialog.moc"
