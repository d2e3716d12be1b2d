// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/job/RunContext.h"
#include "gui/app/HelpLauncher.h"
#include "gui/app/WelcomeDialog.h"
#include "gui/widgets/BitmapPanel.h"
#include "support/FakeClock.h"
#include "support/ModalAnswer.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"

using namespace quillmarch;
using namespace quillmarch::test;

namespace fs = std::filesystem;

Q_DECLARE_METATYPE(std::vector<int>)

class TestWelcomeDialog : public QObject {
    Q_OBJECT

private:
    // An application whose payload folder holds exactly the given payloads (copies of a
    // sample image), with the catalogue built and image presence recorded.
    std::unique_ptr<RunContext> MakeApp(const std::vector<int>& payloadIds) {
        auto app = std::make_unique<RunContext>(m_clock, m_box);
        const fs::path folder = m_dir.Path() / ("pack" + std::to_string(++m_pack));
        fs::create_directory(folder);
        for (int id : payloadIds)
            fs::copy_file(fs::path(QUILLMARCH_PAYLOAD_DIR) / "155.bin",
                          folder / (std::to_string(id) + ".bin"));
        app->m_payloads.SetFolder(folder.string());
        app->BuildCatalogue();
        app->RecordImagePresence();
        return app;
    }

    static QString Text(QWidget& dialog, const char* name) {
        auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<missing %1>").arg(name);
    }

    FakeClock m_clock;
    RecordingMessageBox m_box;
    ScopedTempDir m_dir;
    int m_pack = 0;

private slots:
    void cleanup() { HelpLauncher::SetDefaultOpener({}); }

    void samplePackListsTheModelsVersionAndDate() {
        RunContext app(m_clock, m_box);
        app.m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
        app.BuildCatalogue();
        app.RecordImagePresence();
        WelcomeDialog dialog(app);

        // Row 4 has an image but no name; rows 0 and 13 have no image in the sample pack.
        const QString models = QStringLiteral(
            "T21, T23, KDV 12, KDV 14, KDV 16, KDV 16S, KDV 16m, KDV 18, KDV 18S, KDV 18x or "
            "KDV 22");
        QCOMPARE(dialog.ModelsText(), models);
        QCOMPARE(Text(dialog, "modelsText"), models);
        QCOMPARE(Text(dialog, "versionText"),
                 QStringLiteral("Release_ru 9.0.6.2-103 05-September-2011 02:10"));
        QCOMPARE(Text(dialog, "dateText"), QStringLiteral("05Sep2011 02:10"));
        QCOMPARE(Text(dialog, "versionLabel"), QStringLiteral("Version:"));
        QCOMPARE(Text(dialog, "dateLabel"), QStringLiteral("Date:"));
        QCOMPARE(Text(dialog, "systemLabel"), QStringLiteral("System:  "));
        QVERIFY(Text(dialog, "introText").endsWith(QLatin1Char(':')));
        QCOMPARE(dialog.findChild<QGroupBox*>("softwareGroup")->title(),
                 QStringLiteral("Software Update"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Tessary Quillmarch"));
        auto* begin = dialog.findChild<QPushButton*>("beginButton");
        QCOMPARE(begin->text(), QStringLiteral("Begin Quillmarch"));
        QVERIFY(begin->isEnabled());
        for (const char* name : {"systemLabel", "modelsText", "introText", "versionLabel",
                                 "versionText", "dateLabel", "dateText"})
            QCOMPARE(dialog.findChild<QLabel*>(name)->toolTip(), "System:  " + models);
        auto* picture = dialog.findChild<BitmapPanel*>("welcomePicture");
        QCOMPARE(picture->ResourceId(), 163);
        QVERIFY(picture->HasBitmap());
    }

    void modelsFollowTheImagesPresent_data() {
        QTest::addColumn<std::vector<int>>("payloads");
        QTest::addColumn<QString>("models");
        QTest::addColumn<bool>("beginEnabled");
        QTest::addColumn<int>("picture");
        QTest::newRow("none") << std::vector<int>{} << "No Image." << false << 163;
        QTest::newRow("only a nameless model")
            << std::vector<int>{200} << "No Image." << false << 163;
        QTest::newRow("first model alone") << std::vector<int>{159} << "MDR" << true << 183;
        QTest::newRow("two stay joined by a comma")
            << std::vector<int>{155, 202} << "T21, T23" << true << 163;
        QTest::newRow("four: the last after 'or'")
            << std::vector<int>{158, 159, 202, 155} << "MDR, T21, T23 or KDV 12" << true << 183;
    }

    void modelsFollowTheImagesPresent() {
        QFETCH(std::vector<int>, payloads);
        QFETCH(QString, models);
        QFETCH(bool, beginEnabled);
        QFETCH(int, picture);
        auto app = MakeApp(payloads);
        WelcomeDialog dialog(*app);
        QCOMPARE(Text(dialog, "modelsText"), models);
        QCOMPARE(dialog.findChild<QLabel*>("dateText")->toolTip(), "System:  " + models);
        QCOMPARE(dialog.findChild<QPushButton*>("beginButton")->isEnabled(), beginEnabled);
        QCOMPARE(dialog.findChild<BitmapPanel*>("welcomePicture")->ResourceId(), picture);
    }

    void textsComeFromTheTableInUse() {
        auto app = MakeApp({});
        app->Job().options.language = 1;
        WelcomeDialog dialog(*app);
        QCOMPARE(dialog.findChild<QGroupBox*>("softwareGroup")->title(),
                 QStringLiteral("f_Software"));
        QCOMPARE(Text(dialog, "modelsText"),
                 QStringLiteral(
                     "f_Can not find any update image, please check the configuration file."));
        QCOMPARE(Text(dialog, "versionLabel"), QStringLiteral("f_Version:"));
    }

    void composeAndShortenTheModelsText_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("full");
        QTest::addColumn<QString>("shown");
        const QString long140 =
            QString(60, QLatin1Char('a')) + ", " + QString(76, QLatin1Char('b'));
        const QString exactly135 =
            QString(60, QLatin1Char('a')) + ", " + QString(73, QLatin1Char('b'));
        QTest::newRow("empty names skipped") << QStringList{"", "A", "", "B"} << "A, B"
                                             << "A, B";
        QTest::newRow("outer blanks trimmed") << QStringList{" A", "B "} << "A, B"
                                              << "A, B";
        QTest::newRow("three") << QStringList{"A", "B", "C"} << "A, B or C"
                               << "A, B or C";
        QTest::newRow("140 characters cut")
            << QStringList{QString(60, QLatin1Char('a')), QString(76, QLatin1Char('b'))} << long140
            << long140.left(132) + "...";
        QTest::newRow("135 characters kept")
            << QStringList{QString(60, QLatin1Char('a')), QString(73, QLatin1Char('b'))}
            << exactly135 << exactly135;
    }

    void composeAndShortenTheModelsText() {
        QFETCH(QStringList, names);
        QFETCH(QString, full);
        QFETCH(QString, shown);
        std::vector<std::string> list;
        for (const QString& name : names) list.push_back(name.toStdString());
        const std::string text = WelcomeDialog::ComposeModelsText(list, " or ");
        QCOMPARE(QString::fromStdString(text), full);
        QCOMPARE(QString::fromStdString(WelcomeDialog::ShortenForDisplay(text)), shown);
    }

    void cancelledWizardStartsNoUpdate() {
        auto app = MakeApp({155});
        WelcomeDialog dialog(*app);
        QWidget* wizardOwner = nullptr;
        int updates = 0;
        dialog.SetWizardRunner([&](RunContext&, QWidget* owner) {
            wizardOwner = owner;
            return false;
        });
        dialog.SetUpdateRunner([&](RunContext&, QWidget*, std::function<void(int)>) {
            ++updates;
            return true;
        });
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton*>("beginButton"), Qt::LeftButton);
        QCOMPARE(wizardOwner, &dialog);
        QCOMPARE(updates, 0);
        QVERIFY(dialog.isVisible());
    }

    // A failed or stopped run ends in its progress window with the outcome; the welcome (modal)
    // stays hidden until that window is closed, so it cannot cover the outcome and its OK.
    void failedUpdateKeepsTheDialogHiddenUntilTheWindowCloses() {
        auto app = MakeApp({155});
        WelcomeDialog dialog(*app);
        bool visibleDuringRun = true;
        QWidget* runParent = nullptr;
        std::function<void(int)> ended;
        dialog.SetWizardRunner([](RunContext&, QWidget*) { return true; });
        dialog.SetUpdateRunner([&](RunContext&, QWidget* parent, std::function<void(int)> onEnded) {
            visibleDuringRun = dialog.isVisible();
            runParent = parent;
            ended = std::move(onEnded);
            return false;
        });
        dialog.show();
        dialog.OnBegin();
        QVERIFY(!visibleDuringRun);
        QCOMPARE(runParent, &dialog);
        QVERIFY(!dialog.isVisible());
        ended(0);
        QVERIFY(dialog.isVisible());
    }

    void progressWindowClosedWithOkShowsTheDialog() {
        auto app = MakeApp({155});
        WelcomeDialog dialog(*app);
        std::function<void(int)> ended;
        dialog.SetWizardRunner([](RunContext&, QWidget*) { return true; });
        dialog.SetUpdateRunner([&](RunContext&, QWidget*, std::function<void(int)> onEnded) {
            ended = std::move(onEnded);
            return true;
        });
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        dialog.OnBegin();
        QVERIFY(!dialog.isVisible());
        QVERIFY(ended);
        ended(0);
        QVERIFY(dialog.isVisible());
        QTest::qWait(30);
        QCOMPARE(finished.count(), 0);
    }

    void progressWindowClosedWithQuitEndsTheRun() {
        auto app = MakeApp({155});
        WelcomeDialog dialog(*app);
        std::function<void(int)> ended;
        dialog.SetWizardRunner([](RunContext&, QWidget*) { return true; });
        dialog.SetUpdateRunner([&](RunContext&, QWidget*, std::function<void(int)> onEnded) {
            ended = std::move(onEnded);
            return true;
        });
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        dialog.OnBegin();
        ended(1);
        QCOMPARE(finished.count(), 0);  // not at once: 10 ms later
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
    }

    // The notice of a progress window closed after the welcome dialog is gone reaches nothing:
    // the dialog is not shown again, nor ended 10 ms later, from memory that is freed (on the
    // heap, so that a dialog that does reach it crashes here, and the sanitizer build names it).
    void endNoticeAfterTheDialogIsGoneIsIgnored() {
        auto app = MakeApp({155});
        std::function<void(int)> ended;
        QPointer<WelcomeDialog> dialog = new WelcomeDialog(*app);
        dialog->SetWizardRunner([](RunContext&, QWidget*) { return true; });
        dialog->SetUpdateRunner([&](RunContext&, QWidget*, std::function<void(int)> onEnded) {
            ended = std::move(onEnded);
            return true;
        });
        dialog->OnBegin();
        QVERIFY(ended);
        // While the dialog lives, the notice reaches it: OK shows it again.
        QVERIFY(!dialog->isVisible());
        ended(0);
        QVERIFY(dialog->isVisible());
        delete dialog.data();
        QVERIFY(dialog.isNull());
        ended(1);
        ended(0);
        QTest::qWait(50);  // well past the 10 ms after which a Quit would end the dialog
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            QVERIFY(!qobject_cast<WelcomeDialog*>(widget));
            QVERIFY2(!widget->isVisible(), qPrintable(widget->objectName()));
        }
    }

    void aboutEntryOpensTheAboutBox() {
        auto app = MakeApp({155});
        WelcomeDialog dialog(*app);
        dialog.show();
        auto* about = dialog.findChild<QAction*>("aboutAction");
        QVERIFY(about);
        QCOMPARE(about->text(), QStringLiteral("&About Quillmarch..."));
        QVERIFY(dialog.actions().contains(about));
        QCOMPARE(dialog.contextMenuPolicy(), Qt::ActionsContextMenu);
        QString seen;
        AnswerNextModal([&](QWidget* modal) {
            seen = modal->objectName() + " / " + modal->windowTitle();
            static_cast<QDialog*>(modal)->accept();
        });
        about->trigger();
        QCOMPARE(seen, QStringLiteral("aboutDialog / About Quillmarch"));
    }

    // About is reachable without a right-click: a button with its Alt shortcut.
    void aboutButtonOpensTheAboutBox() {
        auto app = MakeApp({155});
        WelcomeDialog dialog(*app);
        dialog.show();
        auto* about = dialog.findChild<QPushButton*>("aboutButton");
        QVERIFY(about && about->isVisible());
        QCOMPARE(QKeySequence::mnemonic(about->text()), QKeySequence(Qt::ALT | Qt::Key_A));
        QString seen;
        AnswerNextModal([&](QWidget* modal) {
            seen = modal->objectName();
            static_cast<QDialog*>(modal)->accept();
        });
        about->click();
        QCOMPARE(seen, QStringLiteral("aboutDialog"));
    }

    void f1OpensHelpAtTheWelcomeTopic() {
        auto app = MakeApp({155});
        app->m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
        app->m_helpFilePath = (m_dir.Path() / "Quillmarch.hlp").string();
        std::vector<QUrl> opened;
        HelpLauncher::SetDefaultOpener([&](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
        WelcomeDialog dialog(*app);
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_F1);
        QCOMPARE(opened.size(), size_t(1));
        QCOMPARE(opened[0].fragment(), QStringLiteral("topic-11"));
        QCOMPARE(opened[0].toLocalFile(),
                 QString::fromStdString((m_dir.Path() / "Quillmarch.html").string()));
    }
};

QTEST_MAIN(TestWelcomeDialog)
#include "test_welcome_dialog.moc"
