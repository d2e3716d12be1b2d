#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QSettings>
#include <QtTest>
#include <filesystem>

#include "core/app/CConsoleMessageBox.h"
#include "core/app/CMessageBoxRouter.h"
#include "core/app/CQuillmarch6App.h"
#include "gui/progress/CQtMessageBox.h"
#include "gui/wizard/CWizardMode.h"
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
    SSeen RunAndClose(CQuillmarch6App& app, CMessageBoxRouter& router) {
        SSeen seen;
        AnswerNextModal([&](QWidget* modal) {
            seen.name = modal->objectName();
            seen.group = modal->findChild<QGroupBox*>("softwareGroup")->title();
            seen.updateSoftware = app.m_bUpdateSoftware;
            seen.language = app.m_nLanguage;
            seen.routedToQt = dynamic_cast<CQtMessageBox*>(&router.Target()) != nullptr;
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
    CConsoleMessageBox m_console;

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
        CQuillmarch6App app(m_clock, m_box);
        app.m_catalogue.Build();
        CMessageBoxRouter router(m_console);
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
        CQuillmarch6App app(m_clock, m_box);
        app.m_catalogue.Build();
        app.m_bUpdateSoftware = false;
        app.m_nLanguage = 1;
        CMessageBoxRouter router(m_console);
        const SSeen seen = RunAndClose(app, router);
        QVERIFY(seen.updateSoftware);
        QCOMPARE(seen.language, 0);
        QCOMPARE(seen.group, QStringLiteral("Software Update"));
        QVERIFY(!QFile::exists(ConfPath()));
    }
};

QTEST_MAIN(TestWelcomeMode)
#include "test_welcome_mode.moc"
