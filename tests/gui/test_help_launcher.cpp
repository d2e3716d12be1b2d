// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QFile>
#include <QtTest>
#include <filesystem>
#include <vector>

#include "core/job/RunContext.h"
#include "gui/app/HelpLauncher.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"

using namespace quillmarch;
using namespace quillmarch::test;

namespace fs = std::filesystem;

namespace {

const std::vector<std::pair<int, int>> kTemplateTopics = {
    {181, 2},  {129, 3},  {195, 4},  {173, 5},  {182, 8},  {171, 9},
    {194, 10}, {102, 11}, {166, 12}, {172, 13}, {168, 14}, {180, 16}};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestHelpLauncher : public QObject {
    Q_OBJECT

private:
    void Reset() {
        m_dir = std::make_unique<ScopedTempDir>();
        m_app = std::make_unique<RunContext>(m_clock, m_box);
        m_app->m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
        m_app->m_helpFilePath = m_dir->Str("Quillmarch.hlp");
        m_opened.clear();
        m_box.shown.clear();
    }
    HelpLauncher Launcher() {
        return HelpLauncher(*m_app, [this](const QUrl& url) {
            m_opened.push_back(url);
            return true;
        });
    }
    QString PagePath() const { return QString::fromStdString(m_dir->Str("Quillmarch.html")); }

    FakeClock m_clock;
    RecordingMessageBox m_box;
    std::unique_ptr<ScopedTempDir> m_dir;
    std::unique_ptr<RunContext> m_app;
    std::vector<QUrl> m_opened;

private slots:
    void init() { Reset(); }
    void cleanup() { HelpLauncher::SetDefaultOpener({}); }

    void eachDialogOpensThePageAtItsTopic_data() {
        QTest::addColumn<int>("templateId");
        QTest::addColumn<QString>("fragment");
        for (const auto& [templateId, topic] : kTemplateTopics)
            QTest::addRow("template %d", templateId)
                << templateId << QStringLiteral("topic-%1").arg(topic);
        QTest::newRow("information note: default page") << 196 << QString();
        QTest::newRow("about box: default page") << 100 << QString();
        QTest::newRow("zero: default page") << 0 << QString();
    }

    void eachDialogOpensThePageAtItsTopic() {
        QFETCH(int, templateId);
        QFETCH(QString, fragment);
        Launcher().ShowHelpFor(templateId);
        QCOMPARE(m_opened.size(), size_t(1));
        QCOMPARE(m_opened[0].toLocalFile(), PagePath());
        QCOMPARE(m_opened[0].hasFragment(), !fragment.isEmpty());
        QCOMPARE(m_opened[0].fragment(), fragment);
        QCOMPARE(QString::fromStdString(m_app->m_helpFilePath), PagePath());
        QCOMPARE(ReadAll(PagePath()), ReadAll(QUILLMARCH_PAYLOAD_DIR "/199.bin"));
    }

    void onlyTheLow16BitsOfTheHelpIdCount() {
        auto launcher = Launcher();
        launcher.HandleHelpRequest(0x20000 + 173, HelpLauncher::kHelpContext);
        launcher.HandleHelpRequest(0x70000 + 166, HelpLauncher::kHelpContext);
        launcher.HandleHelpRequest(0x10000 + 196, HelpLauncher::kHelpContext);
        QCOMPARE(m_opened.size(), size_t(3));
        QCOMPARE(m_opened[0].fragment(), QStringLiteral("topic-5"));
        QCOMPARE(m_opened[1].fragment(), QStringLiteral("topic-12"));
        QVERIFY(!m_opened[2].hasFragment());
    }

    void otherCommandsOnlyPutThePageOnDisk() {
        Launcher().HandleHelpRequest(0x20000 + 173, 0);
        Launcher().HandleHelpRequest(0x20000 + 173, 2);
        QVERIFY(m_opened.empty());
        QVERIFY(QFile::exists(PagePath()));
    }

    void missingHelpPayloadOpensNothing() {
        m_app->m_payloads.SetFolder(m_dir->Str("no-payloads"));
        Launcher().ShowHelpFor(173);
        QVERIFY(m_opened.empty());
        QCOMPARE(m_box.shown.size(), size_t(1));  // the help file reports the damaged file
        QVERIFY(!QFile::exists(PagePath()));
    }

    void processOpenerServesLaunchersWithoutTheirOwn() {
        std::vector<QUrl> processWide;
        HelpLauncher::SetDefaultOpener([&](const QUrl& url) {
            processWide.push_back(url);
            return true;
        });
        HelpLauncher(*m_app).ShowHelpFor(102);
        Launcher().ShowHelpFor(129);
        QCOMPARE(processWide.size(), size_t(1));
        QCOMPARE(processWide[0].fragment(), QStringLiteral("topic-11"));
        QCOMPARE(m_opened.size(), size_t(1));
        QCOMPARE(m_opened[0].fragment(), QStringLiteral("topic-3"));
    }

    void helpPageHasASectionForEveryTopic() {
        const QByteArray page = ReadAll(QUILLMARCH_PAYLOAD_DIR "/199.bin");
        QVERIFY(!page.isEmpty());
        for (const auto& entry : kTemplateTopics) {
            const QByteArray anchor = "id=\"topic-" + QByteArray::number(entry.second) + "\"";
            QVERIFY2(page.contains(anchor), anchor.constData());
        }
    }
};

QTEST_MAIN(TestHelpLauncher)
#include "test_help_launcher.moc"
