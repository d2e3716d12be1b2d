// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The wizard sheet itself: page list, truncation, button arrangement, device calls off the GUI
// thread, Cancel and Help.

#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <QtTest/QtTest>
#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "gui/app/HelpLauncher.h"
#include "support/WizardHarness.h"

using namespace quillmarch;
using namespace quillmarch::test;

namespace {

// A page that appends a fixed page on Next and counts its hooks.
class CScriptedPage : public WizardPage {
public:
    CScriptedPage(RunContext& app, int templateId, int next, bool truncates)
        : WizardPage(app, templateId, 0), m_nextIndex(next), m_truncates(truncates) {
        setObjectName(QStringLiteral("scripted%1").arg(templateId));
    }
    void PageCreated() override { ++inits; }
    void PageShown() override {
        ++activations;
        RememberSheet();
        if (m_truncates) TruncateAfterThis();
    }
    int ValidateNext() override {
        Sheet()->AddPage(m_nextIndex);
        return kAdvance;
    }
    void CancelClicked() override { ++cancels; }
    int inits = 0;
    int activations = 0;
    int cancels = 0;

private:
    int m_nextIndex;
    bool m_truncates;
};

}  // namespace

class TestWizardSheet : public QObject {
    Q_OBJECT

private:
    // A sheet of four scripted pages 0 -> 1 -> 2 -> 3; page 1 truncates when `truncates`.
    std::unique_ptr<WizardSheet> ScriptedSheet(SWizardApp& f, bool truncates,
                                               std::vector<CScriptedPage*>& pages) {
        auto sheet = std::make_unique<WizardSheet>(f.app);
        pages = {new CScriptedPage(f.app, 100, 1, false),
                 new CScriptedPage(f.app, 101, 2, truncates),
                 new CScriptedPage(f.app, 102, 3, true), new CScriptedPage(f.app, 103, 0, true)};
        sheet->SetPageTable({pages.begin(), pages.end()});
        sheet->AddPage(0);
        sheet->show();
        sheet->Begin();
        return sheet;
    }

private slots:
    void backKeepsTheListAndActivationTruncates_data() {
        QTest::addColumn<bool>("truncates");
        QTest::addColumn<int>("countAfterBack");
        QTest::newRow("page without truncation") << false << 3;
        QTest::newRow("page that truncates") << true << 2;
    }
    void backKeepsTheListAndActivationTruncates() {
        QFETCH(bool, truncates);
        QFETCH(int, countAfterBack);
        SWizardApp f;
        std::vector<CScriptedPage*> pages;
        auto sheet = ScriptedSheet(f, truncates, pages);
        QVERIFY(Press(*sheet, WizardSheet::ID_WIZNEXT));
        QVERIFY(Press(*sheet, WizardSheet::ID_WIZNEXT));
        QCOMPARE(sheet->GetPageCount(), 3);
        QCOMPARE(sheet->GetActiveIndex(), 2);

        sheet->Button(WizardSheet::ID_WIZBACK)->show();
        QVERIFY(Press(*sheet, WizardSheet::ID_WIZBACK));
        QCOMPARE(sheet->GetActiveIndex(), 1);
        QCOMPARE(sheet->GetPageCount(), countAfterBack);
        QCOMPARE(pages[1]->inits, 1);  // the window was kept
        QCOMPARE(pages[1]->activations, 2);

        // Next appends page 2 again only if it was dropped; a dropped page is created anew.
        QVERIFY(Press(*sheet, WizardSheet::ID_WIZNEXT));
        QCOMPARE(sheet->GetActiveIndex(), 2);
        QCOMPARE(sheet->GetPageCount(), 3);
        QCOMPARE(pages[2]->inits, truncates ? 2 : 1);
        QCOMPARE(sheet->findChild<QStackedWidget*>("pageStack")->currentWidget(), pages[2]);
    }

    void addPageRefusesProgrammingErrors() {
        SWizardApp f;
        std::vector<CScriptedPage*> pages;
        auto sheet = ScriptedSheet(f, false, pages);
        QVERIFY(!sheet->AddPage(4));
        QVERIFY(!sheet->AddPage(-1));
        QVERIFY(!sheet->AddPage(0));  // already in the list
        QCOMPARE(sheet->GetPageCount(), 1);
        QVERIFY(sheet->AddPage(2));
        QCOMPARE(sheet->PageAt(1), pages[2]);
    }

    // The information note moves Help to the left edge and the others right into its place;
    // the connection page runs the same arrangement, which must not move them again.
    void buttonArrangementShiftsOnce() {
        SWizardApp f;
        auto sheet = WizardRunner::BuildSheet(f.app, f.settings, nullptr);
        sheet->show();
        const auto x = [&sheet](int id) { return sheet->Button(id)->x(); };
        const int helpX = x(WizardSheet::IDHELP);
        const int shift = helpX - x(WizardSheet::IDCANCEL);
        QVERIFY(shift > 0);
        const std::vector<int> ids = {WizardSheet::ID_WIZBACK, WizardSheet::ID_WIZNEXT,
                                      WizardSheet::ID_WIZFINISH, WizardSheet::IDCANCEL};
        std::vector<int> before;
        for (int id : ids) before.push_back(x(id));

        sheet->Begin();
        QCOMPARE(ActivePageName(*sheet), QString("pageInfoAlert"));
        QCOMPARE(x(WizardSheet::IDHELP), 10);
        QVERIFY(sheet->Button(WizardSheet::IDHELP)->isVisible());  // Help on every page
        QVERIFY(sheet->Button(WizardSheet::ID_WIZBACK)->isHidden());
        for (size_t i = 0; i < ids.size(); ++i) QCOMPARE(x(ids[i]), before[i] + shift);
        QCOMPARE(x(WizardSheet::IDCANCEL), helpX);
        QCOMPARE(sheet->Button(WizardSheet::IDCANCEL)->text(), QString("Cancel"));
        QCOMPARE(sheet->Button(WizardSheet::ID_WIZBACK)->text(), QString("&Back"));
        QCOMPARE(sheet->Button(WizardSheet::ID_WIZNEXT)->text(), QString("&Next"));
        QCOMPARE(sheet->Button(WizardSheet::ID_WIZFINISH)->text(), QString("&Next"));
        const QString title = QString::fromStdString(f.app.LoadUiString(15, ""));
        QCOMPARE(sheet->windowTitle(), title);

        QVERIFY(Press(*sheet, WizardSheet::ID_WIZNEXT));
        QCOMPARE(ActivePageName(*sheet), QString("pageIPAddress"));
        QCOMPARE(sheet->windowTitle(), title);  // one title for the whole wizard
        for (size_t i = 0; i < ids.size(); ++i) QCOMPARE(x(ids[i]), before[i] + shift);
        QVERIFY(sheet->Button(WizardSheet::IDHELP)->isVisible());
        QVERIFY(sheet->Button(WizardSheet::ID_WIZBACK)->isHidden());
    }

    // While a device call runs the sheet takes no input but keeps handling events; the result
    // comes back on the GUI thread, jobs run one after the other off it.
    void deviceCallsRunOffTheGuiThreadInOrder() {
        SWizardApp f;
        std::vector<CScriptedPage*> pages;
        auto sheet = ScriptedSheet(f, false, pages);
        std::promise<void> gate;
        auto released = gate.get_future().share();
        const auto gui = std::this_thread::get_id();
        std::vector<std::string> order;
        std::thread::id workThread;
        sheet->RunOnDevice(
            pages[0],
            [&, released] {
                released.wait();
                workThread = std::this_thread::get_id();
                order.push_back("work 1");
            },
            [&] {
                QCOMPARE(std::this_thread::get_id(), gui);
                order.push_back("apply 1");
            });
        sheet->RunOnDevice(
            pages[0], [&] { order.push_back("work 2"); }, [&] { order.push_back("apply 2"); });

        QVERIFY(sheet->IsBusy());
        QVERIFY(!sheet->findChild<QWidget*>("stepButtons")->isEnabled());
        QVERIFY(!sheet->findChild<QWidget*>("pageStack")->isEnabled());
        QVERIFY(sheet->Button(WizardSheet::IDCANCEL)->isEnabled());  // the way out
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        bool timerFired = false;
        QTimer::singleShot(0, [&] { timerFired = true; });
        QTRY_VERIFY(timerFired);  // the event loop keeps running
        sheet->reject();          // Cancel stops the call and keeps the wizard open
        QVERIFY(sheet->isVisible());
        QCOMPARE(pages[0]->cancels, 0);
        QVERIFY(sheet->CallAborted());

        gate.set_value();
        QVERIFY(WaitIdle(*sheet));
        QCOMPARE(order, (std::vector<std::string>{"work 1", "apply 1", "work 2", "apply 2"}));
        QVERIFY(workThread != gui);
        QVERIFY(sheet->findChild<QWidget*>("stepButtons")->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }

    void resultIsDroppedWhenItsPageIsGone() {
        SWizardApp f;
        std::vector<CScriptedPage*> pages;
        auto sheet = ScriptedSheet(f, false, pages);
        auto* context = new QObject;
        std::promise<void> gate;
        auto released = gate.get_future().share();
        bool applied = false;
        sheet->RunOnDevice(
            context, [released] { released.wait(); }, [&] { applied = true; });
        delete context;
        gate.set_value();
        QVERIFY(WaitIdle(*sheet));
        QVERIFY(!applied);
    }

    void cancelTellsEveryListedPageAndEnds() {
        SWizardApp f;
        std::vector<CScriptedPage*> pages;
        auto sheet = ScriptedSheet(f, false, pages);
        QVERIFY(Press(*sheet, WizardSheet::ID_WIZNEXT));
        QVERIFY(Press(*sheet, WizardSheet::IDCANCEL));
        QCOMPARE(sheet->result(), WizardSheet::IDCANCEL);
        QVERIFY(!sheet->isVisible());
        QCOMPARE(pages[0]->cancels, 1);
        QCOMPARE(pages[1]->cancels, 1);
        QCOMPARE(pages[2]->cancels, 0);  // never in the list
    }

    // The modal run: Cancel ends it without an update and closes the log.
    void runnerClosesTheLogOnCancel() {
        SWizardApp f;
        f.app.StartLog(f.dir.Str("wizard.log"));
        QVERIFY(f.app.m_log.IsOpen());
        QTimer::singleShot(0, [] {
            auto* sheet = qobject_cast<WizardSheet*>(QApplication::activeModalWidget());
            if (sheet) sheet->Button(WizardSheet::IDCANCEL)->click();
        });
        QVERIFY(!WizardRunner::Run(f.app, nullptr, f.settings));
        QVERIFY(!f.app.m_log.IsOpen());
        QVERIFY(ReadFile(f.dir.Path() / "wizard.log").find("Finish Update") != std::string::npos);
    }

    // Every page names itself and says in a line what it asks; the sheet's header follows the
    // page shown and keeps the sheet's size.
    void everyPageHasATitleAndALineOfExplanation() {
        SWizardApp f;
        auto sheet = StartSheet(f);
        QSet<QString> titles;
        for (int i = 0; sheet->TablePage(i); ++i) {
            const WizardPage* page = sheet->TablePage(i);
            QVERIFY2(!page->Title().isEmpty(), qPrintable(page->objectName()));
            QVERIFY2(page->Subtitle().size() > page->Title().size(),
                     qPrintable(page->objectName()));
            titles.insert(page->Title());
        }
        QCOMPARE(titles.size(), 11);
        // The update type page explains both choices.
        const QString typeLine = sheet->TablePage(3)->Subtitle();
        QVERIFY(typeLine.contains("Typical") && typeLine.contains("Custom"));

        auto* title = sheet->findChild<QLabel*>("pageTitle");
        auto* subtitle = sheet->findChild<QLabel*>("pageSubtitle");
        QVERIFY(title && subtitle && title->isVisible() && subtitle->isVisible());
        QCOMPARE(title->text(), sheet->TablePage(0)->Title());
        const QSize size = sheet->size();
        QVERIFY(Press(*sheet, WizardSheet::ID_WIZNEXT));
        QCOMPARE(ActivePageName(*sheet), QString("pageIPAddress"));
        QCOMPARE(title->text(), sheet->ActivePage()->Title());
        QCOMPARE(subtitle->text(), sheet->ActivePage()->Subtitle());
        QCOMPARE(sheet->size(), size);
    }

    // F1 asks for help at the topic of the current page; the note has none.
    void helpOpensTheTopicOfTheCurrentPage() {
        SWizardApp f;
        std::vector<QUrl> opened;
        HelpLauncher::SetDefaultOpener([&opened](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
        auto sheet = StartSheet(f);
        sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet.get()));
        QTest::keyClick(sheet.get(), Qt::Key_F1);
        QVERIFY(Press(*sheet, WizardSheet::ID_WIZNEXT));
        QTest::keyClick(sheet.get(), Qt::Key_F1);
        HelpLauncher::SetDefaultOpener({});
        QCOMPARE(opened.size(), size_t(2));
        QVERIFY(!opened[0].hasFragment());
        QCOMPARE(opened[1].fragment(), QString("topic-5"));
    }
};

QTEST_MAIN(TestWizardSheet)
#include "test_wizard_sheet.moc"
