// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/app/AboutDialog.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>
#include <cctype>

#include "core/job/RunContext.h"
#include "gui/app/GuiResources.h"
#include "gui/app/HelpLauncher.h"

namespace quillmarch {

namespace {

// "a.b.c.d" with one to four numbers, the missing ones 0; false when the text does not start
// with a number.
bool ParseVersion(const std::string& text, std::array<int, 4>& parts) {
    parts = {0, 0, 0, 0};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos])))
            return i > 0;
        int number = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) &&
               number < 100000)
            number = number * 10 + (text[pos++] - '0');
        parts[i] = number;
        if (pos >= text.size() || text[pos] != '.') return true;
        ++pos;
    }
    return true;
}

}  // namespace

AboutDialog::AboutDialog(RunContext& app, QWidget* parent,
                         const std::optional<std::string>& productVersion,
                         const std::string& buildDate)
    : QDialog(parent), m_app(app) {
    EnsureGuiResources();
    setObjectName(QStringLiteral("aboutDialog"));
    BuildControls();
    setWindowTitle(QString::fromStdString(m_app.LoadUiString(79, "About Quillmarch6")));
    SetVersionLine(productVersion, buildDate);
    m_noticeLine->setText(QString::fromStdString(
        m_app.LoadUiString(27, "Copyright (C) Tessary. All rights reserved.")));
    m_ok->setText(QString::fromStdString(m_app.LoadUiString(28, "OK")));
}

std::optional<std::string> AboutDialog::ProgramVersion() {
    return std::string(QUILLMARCH_VERSION);
}

std::string AboutDialog::ProgramBuildDate() {
    return __DATE__;
}

void AboutDialog::BuildControls() {
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(QIcon(ProgramIconPath()).pixmap(32, 32));
    m_versionLine = new QLabel(QStringLiteral("Quillmarch6 Version 6.0"), this);
    m_versionLine->setObjectName(QStringLiteral("versionLine"));
    m_noticeLine = new QLabel(QStringLiteral("Copyright (C) 2011"), this);
    m_noticeLine->setObjectName(QStringLiteral("noticeLine"));
    auto* licenceLine = new QLabel(
        QStringLiteral("Free software under the GNU General Public License, version 3 or later\n"
                       "(GPL-3.0-or-later), without any warranty."),
        this);
    licenceLine->setObjectName(QStringLiteral("licenceLine"));
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(m_versionLine);
    texts->addWidget(m_noticeLine);
    texts->addWidget(licenceLine);
    auto* row = new QHBoxLayout(this);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    row->addWidget(m_ok, 0, Qt::AlignTop);
    row->setSpacing(14);
}

void AboutDialog::SetVersionLine(const std::optional<std::string>& productVersion,
                                 const std::string& buildDate) {
    if (!productVersion) {
        m_versionLine->clear();
        return;
    }
    // Each value on a line of its own, after its label.
    const QString versionLabel = QString::fromStdString(m_app.LoadUiString(17, "Version:"));
    const QString dateLabel = QString::fromStdString(m_app.LoadUiString(26, "Build Date"));
    const QString date = QString::fromStdString(buildDate);
    const QString format = QStringLiteral("%1 %2\n%3: %4");
    std::array<int, 4> parts{};
    if (ParseVersion(*productVersion, parts)) {
        const QString version =
            QStringLiteral("%1.%2.%3.%4").arg(parts[0]).arg(parts[1]).arg(parts[2]).arg(parts[3]);
        m_versionLine->setText(format.arg(versionLabel, version, dateLabel, date));
        return;
    }
    m_app.ShowMessage(m_app.LoadUiString(223, "File version not found"), "", MB_OK);
    m_versionLine->setText(format.arg(versionLabel, QStringLiteral("-.-.-.-"), dateLabel, date));
}

void AboutDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        HelpLauncher(m_app).ShowHelpFor(kTemplateId);
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace quillmarch
