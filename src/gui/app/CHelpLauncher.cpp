#include "gui/app/CHelpLauncher.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QString>

#include "core/app/CHelpFile.h"
#include "core/app/CQuillmarch6App.h"

namespace quillmarch {

namespace {

CHelpLauncher::Opener& ProcessOpener() {
    static CHelpLauncher::Opener opener;
    return opener;
}

bool OpenWithDesktop(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

}  // namespace

CHelpLauncher::CHelpLauncher(CQuillmarch6App& app, Opener opener)
    : m_app(app), m_opener(std::move(opener)) {}

void CHelpLauncher::SetDefaultOpener(Opener opener) {
    ProcessOpener() = std::move(opener);
}

int CHelpLauncher::TopicForTemplate(int templateId) {
    static const struct {
        int templateId;
        int topic;
    } kTopics[] = {{181, 2},  {129, 3},  {195, 4},  {173, 5},  {182, 8},  {171, 9},
                   {194, 10}, {102, 11}, {166, 12}, {172, 13}, {168, 14}, {180, 16}};
    for (const auto& entry : kTopics) {
        if (entry.templateId == templateId) return entry.topic;
    }
    return 0;
}

QUrl CHelpLauncher::HelpUrl(const std::string& path, int topic) {
    const QString local = QDir::fromNativeSeparators(QString::fromStdString(path));
    QUrl url = QUrl::fromLocalFile(QFileInfo(local).absoluteFilePath());
    if (topic > 0) url.setFragment(QStringLiteral("topic-%1").arg(topic));
    return url;
}

void CHelpLauncher::HandleHelpRequest(unsigned helpId, unsigned command) {
    if (!CHelpFile(m_app).ExtractHelpFile()) return;
    if (command != kHelpContext) return;
    const int topic = TopicForTemplate(static_cast<int>(helpId & 0xFFFFu));
    const QUrl url = HelpUrl(m_app.m_strHelpFilePath, topic);
    if (m_opener)
        m_opener(url);
    else if (ProcessOpener())
        ProcessOpener()(url);
    else
        OpenWithDesktop(url);
}

}  // namespace quillmarch
