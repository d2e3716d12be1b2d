// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/app/HelpLauncher.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QString>

#include "core/job/RunContext.h"
#include "core/ui/HelpFile.h"

namespace quillmarch {

namespace {

HelpLauncher::Opener& ProcessOpener() {
    static HelpLauncher::Opener opener;
    return opener;
}

bool OpenWithDesktop(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

}  // namespace

HelpLauncher::HelpLauncher(RunContext& app, Opener opener)
    : m_app(app), m_opener(std::move(opener)) {}

void HelpLauncher::SetDefaultOpener(Opener opener) {
    ProcessOpener() = std::move(opener);
}

int HelpLauncher::TopicForTemplate(int templateId) {
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

QUrl HelpLauncher::HelpUrl(const std::string& path, int topic) {
    const QString local = QDir::fromNativeSeparators(QString::fromStdString(path));
    QUrl url = QUrl::fromLocalFile(QFileInfo(local).absoluteFilePath());
    if (topic > 0) url.setFragment(QStringLiteral("topic-%1").arg(topic));
    return url;
}

void HelpLauncher::HandleHelpRequest(unsigned helpId, unsigned command) {
    if (!HelpFile(m_app).ExtractHelpFile()) return;
    if (command != kHelpContext) return;
    const int topic = TopicForTemplate(static_cast<int>(helpId & 0xFFFFu));
    const QUrl url = HelpUrl(m_app.m_helpFilePath, topic);
    if (m_opener)
        m_opener(url);
    else if (ProcessOpener())
        ProcessOpener()(url);
    else
        OpenWithDesktop(url);
}

}  // namespace quillmarch
