// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QFile>
#include <QSettings>
#include <QtTest>
#include <string>

#include "core/job/RunContext.h"
#include "core/prefs/SettingsStore.h"
#include "gui/app/QtSettingsBackend.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"

using namespace quillmarch;
using namespace quillmarch::test;

class TestSettingsBackend : public QObject {
    Q_OBJECT

private:
    QString StorePath() const {
        return QString::fromStdString(m_dir.Str("Tessary/Quillmarch.conf"));
    }

    ScopedTempDir m_dir;

private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(m_dir.Str()));
    }
    void cleanup() { QFile::remove(StorePath()); }

    void programStoreIsTheTessaryQuillmarchFile() {
        QtSettingsBackend backend;
        std::string value;
        QVERIFY(!backend.Read("UploadSoftware", value));
        QVERIFY2(!QFile::exists(StorePath()), "reading creates nothing");
        backend.Write("UploadSoftware", "no");
        QVERIFY(QFile::exists(StorePath()));
        QSettings direct(StorePath(), QSettings::IniFormat);
        QCOMPARE(direct.value("UploadSoftware").toString(), QStringLiteral("no"));
    }

    void valuesRoundTripAsText_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("history with commas") << "PrevWrenIPAddress"
                                             << "10.0.0.2,10.0.0.1,host:2121";
        QTest::newRow("empty") << "PrevT23IPAddress"
                               << "";
        QTest::newRow("long") << "PrevFinchIPAddress" << QString(1023, QLatin1Char('9'));
        QTest::newRow("not ASCII")
            << "PrevHeronIPAddress" << QStringLiteral("kamera-\u00e9t\u00e9.local");
        QTest::newRow("number") << "Language"
                                << "2";
        QTest::newRow("spaces and quotes") << "UploadSoftware"
                                           << " \"yes\" ";
    }

    void valuesRoundTripAsText() {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QtSettingsBackend writer;
        writer.Write(name.toStdString(), value.toStdString());
        QtSettingsBackend reader;  // a fresh store object: nothing carried over in memory
        std::string read = "unchanged";
        QVERIFY(reader.Read(name.toStdString(), read));
        QCOMPARE(QString::fromStdString(read), value);
    }

    void handEditedListIsReadAsOneText() {
        QFile file(StorePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nPrevWrenIPAddress=10.0.0.2, 10.0.0.1\nLanguage=1\n");
        file.close();
        QtSettingsBackend backend;
        std::string value;
        QVERIFY(backend.Read("PrevWrenIPAddress", value));
        QCOMPARE(value, std::string("10.0.0.2,10.0.0.1"));
    }

    void explicitFileIsUsedInsteadOfTheProgramStore() {
        const QString path = QString::fromStdString(m_dir.Str("portable.ini"));
        QtSettingsBackend backend(path);
        backend.Write("Language", "1");
        QVERIFY(QFile::exists(path));
        QVERIFY(!QFile::exists(StorePath()));
        std::string value;
        QVERIFY(backend.Read("Language", value));
        QCOMPARE(value, std::string("1"));
    }

    void storeLoadsTheWizardDefaultsFromTheFile() {
        {
            QSettings direct(StorePath(), QSettings::IniFormat);
            direct.setValue("UploadSoftware", "No");
            direct.setValue("Language", "1");
        }
        QtSettingsBackend backend;
        SettingsStore store(backend);
        FakeClock clock;
        RecordingMessageBox box;
        RunContext app(clock, box);
        store.LoadSettings(app);
        QVERIFY(!app.Job().tasks.updateSoftware);
        QCOMPARE(app.Job().options.language, 1);

        std::string history(1500, 'a');
        store.AccessSetting(true, "PrevPloverIPAddress", history);
        std::string read;
        QVERIFY(store.AccessSetting(false, "PrevPloverIPAddress", read));
        QCOMPARE(read.size(), size_t(1023));
    }
};

QTEST_MAIN(TestSettingsBackend)
#include "test_settings_backend.moc"
