// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The wizard sheet itself: the walk and Back on Qt's wizard, pages opened directly, the button
// row, device calls off the GUI thread, Cancel and Help.

#include <QLabel>
#include <QPointer>
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

// A page that counts its hooks.
class CScriptedPage : public WizardPage {
public:
    CScriptedPage(RunContext& app, int templateId) : WizardPage(app, templateId, 0) {
        setObjectName(QStringLiteral("scripted%1").arg(templateId));
        SetHeader(QStringLiteral("Page %1").arg(templateId), QStringLiteral("What it asks"));
    }
    void PageCreated() override { ++inits; }
    void PageShown() override { ++activations; }
    void BackClicked() override { ++backs; }
    void CancelClicked() override { ++cancels; }
    void AllowNext(bool allow) { EnableNext(allow); }
    int inits = 0;
    int activations = 0;
    int backs = 0;
    int cancels = 0;
};

// A sheet whose walk is a table instead of the walk rules: after page i comes order[i].
class CScriptedSheet : public WizardSheet {
public:
    using WizardSheet::WizardSheet;
    std::vector<int> order = {1, 2, 3, -1};

protected:
    int NextOnWalk(int current) const override {
        if (current < 0 || current >= static_cast<int>(order.size())) return -1;
        return order[static_cast<size_t>(current)];
    }
};

}  // namespace

class TestWizardSheet : public QObject {
    Q_OBJECT

private:
    // A sheet of four scripted pages 0 -> 1 -> 2 -> 3, shown on page 0.
    std::unique_ptr<CScriptedSheet> ScriptedSheet(SWizardApp& f,
                                                  std::vector<CScriptedPage*>& pages) {
        auto sheet = std::make_unique<CScriptedSheet>(f.app);
        pages = {new CScriptedPage(f.app, 100), new CScriptedPage(f.app, 101),
                 new CScriptedPage(f.app, 102), new CScriptedPage(f.app, 103)};
        sheet->SetPageTable({pages.begin(), pages.end()});
        sheet->show();
        sheet->Begin();
        return sheet;
    }

private slots:
    // Back leaves the page through its Back hook and returns to the page the walk came from;
    // Next then asks the walk again, so a changed choice leads elsewhere, and a page reached
    // anew is initialised anew.
    void backRetracesTheWalkAndNextAsksItAgain() {
        SWizardApp f;
        std::vector<CScriptedPage*> pages;
        auto sheet = ScriptedSheet(f, pages);
        QVERIFY(qobject_cast<QWizard*>(sheet.get()));
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(sheet->ActivePage(), pages[2]);
        QCOMPARE(sheet->GetPageCount(), 3);

        QVERIFY(Press(*sheet, QWizard::BackButton));
        QCOMPARE(sheet->ActivePage(), pages[1]);
        QCOMPARE(sheet->GetPageCount(), 2);
        QCOMPARE(pages[2]->backs, 1);
        QCOMPARE(pages[1]->backs, 0);
        QCOMPARE(pages[1]->inits, 1);  // shown again, not initialised again
        QCOMPARE(pages[1]->activations, 2);

        sheet->order[1] = 3;  // the operator chose otherwise on page 1
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(sheet->ActivePage(), pages[3]);
        QCOMPARE(sheet->visitedIds(), QList<int>({0, 1, 3}));
        QVERIFY(Press(*sheet, QWizard::BackButton));
        sheet->order[1] = 2;
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(sheet->ActivePage(), pages[2]);
        QCOMPARE(pages[2]->inits, 2);
        // The last page of the walk offers Finish instead of Next.
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QVERIFY(sheet->Button(QWizard::FinishButton)->isVisible());
        QVERIFY(sheet->Button(QWizard::NextButton)->isHidden());
    }

    // A page opened directly comes after the current one; the walk goes on from there.
    void openingAPageDirectlyRefusesProgrammingErrors() {
        SWizardApp f;
        std::vector<CScriptedPage*> pages;
        auto sheet = ScriptedSheet(f, pages);
        QVERIFY(!sheet->ShowPageDirectly(4));
        QVERIFY(!sheet->ShowPageDirectly(-1));
        QVERIFY(!sheet->ShowPageDirectly(0));  // walked through already
        QCOMPARE(sheet->GetPageCount(), 1);
        QVERIFY(sheet->ShowPageDirectly(2));
        QCOMPARE(sheet->ActivePage(), pages[2]);
        QCOMPARE(pages[1]->inits, 0);
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(sheet->ActivePage(), pages[3]);
        QCOMPARE(sheet->visitedIds(), QList<int>({0, 2, 3}));
    }

    // Qt's wizard with Help at the left edge and the steps and Cancel at the right, each with
    // its text; Back from the second page on; one window title throughout.
    void buttonRowAndTexts() {
        SWizardApp f;
        auto sheet = StartSheet(f);
        QCOMPARE(ActivePageName(*sheet), QString("pageInfoAlert"));
#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
        QCOMPARE(sheet->wizardStyle(), QWizard::ModernStyle);
#endif
        QVERIFY(sheet->testOption(QWizard::HaveHelpButton));
        const auto x = [&sheet](QWizard::WizardButton which) {
            return sheet->Button(which)->mapTo(sheet.get(), QPoint(0, 0)).x();
        };
        QVERIFY(x(QWizard::HelpButton) < x(QWizard::NextButton));
        QVERIFY(x(QWizard::NextButton) < x(QWizard::CancelButton));
        QVERIFY(sheet->Button(QWizard::HelpButton)->isVisible());  // Help on every page
        QVERIFY(sheet->Button(QWizard::BackButton)->isHidden());   // nothing to go back to
        QCOMPARE(sheet->Button(QWizard::CancelButton)->text(), QString("Cancel"));
        QCOMPARE(sheet->Button(QWizard::BackButton)->text(), QString("&Back"));
        QCOMPARE(sheet->Button(QWizard::NextButton)->text(), QString("&Next"));
        QCOMPARE(sheet->Button(QWizard::HelpButton)->text(), QString("&Help"));
        const QString title = QString::fromStdString(f.app.LoadUiString(15, ""));
        QCOMPARE(sheet->windowTitle(), title);

        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageIPAddress"));
        QCOMPARE(sheet->windowTitle(), title);  // one title for the whole wizard
        QVERIFY(sheet->Button(QWizard::HelpButton)->isVisible());
        QVERIFY(x(QWizard::BackButton) < x(QWizard::NextButton));
        QVERIFY(Press(*sheet, QWizard::BackButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageInfoAlert"));
    }

    // While a device call runs the sheet takes no input but keeps handling events; the result
    // comes back on the GUI thread, jobs run one after the other off it.
    void deviceCallsRunOffTheGuiThreadInOrder() {
        SWizardApp f;
        std::vector<CScriptedPage*> pages;
        auto sheet = ScriptedSheet(f, pages);
        QVERIFY(Press(*sheet, QWizard::NextButton));
        const std::vector<QWizard::WizardButton> steps = {QWizard::BackButton, QWizard::NextButton,
                                                          QWizard::HelpButton};
        const auto stepsEnabled = [&sheet, &steps] {
            QStringList enabled;
            for (QWizard::WizardButton which : steps) {
                if (sheet->Button(which)->isEnabled())
                    enabled << sheet->Button(which)->objectName();
            }
            return enabled;
        };
        QCOMPARE(stepsEnabled().size(), qsizetype(steps.size()));
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
        QCOMPARE(stepsEnabled(), QStringList());
        QVERIFY(!sheet->ActivePage()->isEnabled());
        QVERIFY(sheet->Button(QWizard::CancelButton)->isEnabled());  // the way out
        // A page that allows Next meanwhile does not free the buttons before the call ends.
        pages[1]->AllowNext(true);
        QCOMPARE(stepsEnabled(), QStringList());
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        bool timerFired = false;
        QTimer::singleShot(0, [&] { timerFired = true; });
        QTRY_VERIFY(timerFired);  // the event loop keeps running
        sheet->reject();          // Cancel stops the call and keeps the wizard open
        QVERIFY(sheet->isVisible());
        QCOMPARE(pages[0]->cancels + pages[1]->cancels, 0);
        QVERIFY(sheet->CallAborted());

        gate.set_value();
        QVERIFY(WaitIdle(*sheet));
        QCOMPARE(order, (std::vector<std::string>{"work 1", "apply 1", "work 2", "apply 2"}));
        QVERIFY(workThread != gui);
        QCOMPARE(stepsEnabled().size(), qsizetype(steps.size()));
        QVERIFY(sheet->ActivePage()->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        // What the page says still counts once the call is over.
        pages[1]->AllowNext(false);
        QVERIFY(!sheet->Button(QWizard::NextButton)->isEnabled());
    }

    void resultIsDroppedWhenItsPageIsGone() {
        SWizardApp f;
        std::vector<CScriptedPage*> pages;
        auto sheet = ScriptedSheet(f, pages);
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
        auto sheet = ScriptedSheet(f, pages);
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QVERIFY(Press(*sheet, QWizard::CancelButton));
        QCOMPARE(sheet->result(), int(QDialog::Rejected));
        QVERIFY(!sheet->isVisible());
        QCOMPARE(pages[0]->cancels, 1);
        QCOMPARE(pages[1]->cancels, 1);
        QCOMPARE(pages[2]->cancels, 0);  // never walked to
        // The wizard's reset on Cancel is no Back: the pages' Back hooks stay silent.
        QCOMPARE(pages[0]->backs + pages[1]->backs, 0);
    }

    // The modal run: Cancel ends it without an update and closes the log.
    void runnerClosesTheLogOnCancel() {
        SWizardApp f;
        f.app.StartLog(f.dir.Str("wizard.log"));
        QVERIFY(f.app.m_log.IsOpen());
        QTimer::singleShot(0, [] {
            auto* sheet = qobject_cast<WizardSheet*>(QApplication::activeModalWidget());
            if (sheet) sheet->Button(QWizard::CancelButton)->click();
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
            QVERIFY2(!page->title().isEmpty(), qPrintable(page->objectName()));
            QVERIFY2(page->subTitle().size() > page->title().size(),
                     qPrintable(page->objectName()));
            titles.insert(page->title());
        }
        QCOMPARE(titles.size(), 11);
        // The update type page explains both choices.
        const QString typeLine = sheet->TablePage(3)->subTitle();
        QVERIFY(typeLine.contains("Typical") && typeLine.contains("Custom"));

        QVERIFY(HeaderShows(*sheet, sheet->TablePage(0)->title()));
        QVERIFY(HeaderShows(*sheet, sheet->TablePage(0)->subTitle()));
        const QSize size = sheet->size();
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QCOMPARE(ActivePageName(*sheet), QString("pageIPAddress"));
        QVERIFY(HeaderShows(*sheet, sheet->ActivePage()->title()));
        QVERIFY(HeaderShows(*sheet, sheet->ActivePage()->subTitle()));
        QVERIFY(!HeaderShows(*sheet, sheet->TablePage(0)->title()));
        QCOMPARE(sheet->size(), size);
    }

    // F1 and the wizard's Help button ask for help at the topic of the current page; the note
    // has none.
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
        QVERIFY(Press(*sheet, QWizard::NextButton));
        QTest::keyClick(sheet.get(), Qt::Key_F1);
        QVERIFY(Press(*sheet, QWizard::HelpButton));
        HelpLauncher::SetDefaultOpener({});
        QCOMPARE(opened.size(), size_t(3));
        QVERIFY(!opened[0].hasFragment());
        QCOMPARE(opened[1].fragment(), QString("topic-5"));
        QCOMPARE(opened[2], opened[1]);
    }
};

QTEST_MAIN(TestWizardSheet)
#include "test_wizard_sheet.moc"
