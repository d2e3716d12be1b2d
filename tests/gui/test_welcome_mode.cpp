// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QSettings>
#include <QtTest>
#include <filesystem>

#include "core/job/RunContext.h"
#include "core/ui/ConsoleMessageBox.h"
#include "core/ui/MessageBoxRouter.h"
#include "gui/progress/QtMessageBox.h"
#include "gui/wizard/WizardMode.h"
#include "support/FakeClock.h"
#include "support/ModalAnswer.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"

using namespace quillmarch;
using namespace quillmarch::test;

class TestWelcomeMode : public QObject {
    Q_OBJECT

private:
    struct SSeen {
        QString name;
        QString group;
        bool updateSoftware = false;
        int language = -1;
        bool routedToQt = false;
        int exitCode = -1;
    };

    // Runs wizard mode, closes the welcome dialog with its close box once it is up and
    // answers what the dialog saw.
    SSeen RunAndClose(RunContext& app, MessageBoxRouter& router) {
        SSeen seen;
        AnswerNextModal([&](QWidget* modal) {
            seen.name = modal->objectName();
            seen.group = modal->findChild<QGroupBox*>("softwareGroup")->title();
            seen.updateSoftware = app.Job().tasks.updateSoftware;
            seen.language = app.Job().options.language;
            seen.routedToQt = dynamic_cast<QtMessageBox*>(&router.Target()) != nullptr;
            modal->close();
        });
        int argc = 1;
        char name[] = "quillmarch";
        char* argv[] = {name, nullptr};
        seen.exitCode = RunWizardMode(app, router, argc, argv);
        return seen;
    }

    QString ConfPath() const {
        return QString::fromStdString(m_dir.Str("Tessary/Quillmarch.conf"));
    }

    ScopedTempDir m_dir;
    FakeClock m_clock;
    RecordingMessageBox m_box;
    ConsoleMessageBox m_console;

private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(m_dir.Str()));
    }

    void storedSettingsAreLoadedBeforeTheWelcomeDialog() {
        {
            QSettings stored(ConfPath(), QSettings::IniFormat);
            stored.setValue("UploadSoftware", "NO");
            stored.setValue("Language", "2");
        }
        RunContext app(m_clock, m_box);
        app.BuildCatalogue();
        MessageBoxRouter router(m_console);
        const SSeen seen = RunAndClose(app, router);
        QCOMPARE(seen.exitCode, 0);
        QCOMPARE(seen.name, QStringLiteral("welcomeDialog"));
        QVERIFY(!seen.updateSoftware);
        QCOMPARE(seen.language, 2);
        QCOMPARE(seen.group, QStringLiteral("g_Software"));
        QVERIFY(seen.routedToQt);
        QCOMPARE(&router.Target(), static_cast<IMessageBox*>(&m_console));
        QFile::remove(ConfPath());
    }

    void firstStartUsesTheDefaultsAndWritesNothing() {
        QFile::remove(ConfPath());
        RunContext app(m_clock, m_box);
        app.BuildCatalogue();
        app.Job().tasks.updateSoftware = false;
        app.Job().options.language = 1;
        MessageBoxRouter router(m_console);
        const SSeen seen = RunAndClose(app, router);
        QVERIFY(seen.updateSoftware);
        QCOMPARE(seen.language, 0);
        QCOMPARE(seen.group, QStringLiteral("Software Update"));
        QVERIFY(!QFile::exists(ConfPath()));
    }
};

QTEST_MAIN(TestWelcomeMode)
#include "test_welcome_mode.moc"
