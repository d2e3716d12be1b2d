// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The wizard's conventions along a Custom walk through every page, against the simulator: the
// sheet is Qt's wizard, each page shows its title and its line of explanation in the wizard's
// header, Help is offered and usable on every page, Back is offered from the second page on,
// and Back retraces the walk page by page to the connection page, leaving the system.

#include <QtTest/QtTest>
#include <algorithm>

#include "gui/support/EveryPageWalk.h"

using namespace quillmarch;
using namespace quillmarch::test;

class TestWizardConventions : public QObject {
    Q_OBJECT

private slots:
    void aCustomWalkFollowsTheWizardConventions() {
        SSimOptions options;
        options.model = 11;  // offers every page
        SimulatorProcess sim(options);
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        auto sheet = StartSheet(f);
        QVERIFY(qobject_cast<QWizard*>(sheet.get()));
        QStringList untitled;
        QStringList noHelp;
        QStringList noBack;
        const auto visit = [&](QWidget* page, bool afterAction) {
            if (afterAction) return;
            const QString name = page->objectName();
            const auto* wizardPage = qobject_cast<const QWizardPage*>(page);
            if (!wizardPage || wizardPage->title().isEmpty() || wizardPage->subTitle().isEmpty() ||
                !HeaderShows(*sheet, wizardPage->title()) ||
                !HeaderShows(*sheet, wizardPage->subTitle()))
                untitled << name;
            const QPushButton* help = sheet->Button(QWizard::HelpButton);
            if (!help->isVisible() || !help->isEnabled()) noHelp << name;
            const QPushButton* back = sheet->Button(QWizard::BackButton);
            if (sheet->visitedIds().size() > 1 && !(back->isVisible() && back->isEnabled()))
                noBack << name;
        };
        const QStringList walked = WalkToSummary(*sheet, EveryPageWalk(sim), visit);
        QVERIFY2(walked.size() == 11, qPrintable(walked.join(' ')));
        QVERIFY2(untitled.isEmpty(), qPrintable(untitled.join(' ')));
        QVERIFY2(noHelp.isEmpty(), qPrintable(noHelp.join(' ')));
        QVERIFY2(noBack.isEmpty(), qPrintable(noBack.join(' ')));
        QVERIFY(f.app.m_link->IsLoggedOn());

        // From the summary back to the connection page: every page of the walk in reverse.
        QStringList retraced;
        while (ActivePageName(*sheet) != "pageIPAddress" && retraced.size() < walked.size()) {
            if (!Press(*sheet, QWizard::BackButton)) break;
            retraced << ActivePageName(*sheet);
        }
        QStringList expected = walked.mid(1, walked.size() - 2);
        std::reverse(expected.begin(), expected.end());
        QCOMPARE(retraced, expected);
        QCOMPARE(sheet->GetPageCount(), 2);
        QVERIFY(!f.app.m_link->IsLoggedOn());  // leaving the facts page leaves the system
    }
};

QTEST_MAIN(TestWizardConventions)
#include "test_wizard_conventions.moc"
