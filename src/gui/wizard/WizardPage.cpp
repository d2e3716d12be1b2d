// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/WizardPage.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/job/RunContext.h"
#include "core/wizard/WalkRules.h"
#include "gui/widgets/BitmapPanel.h"
#include "gui/wizard/WizardSheet.h"

namespace quillmarch {

WizardPage::WizardPage(RunContext& app, int templateId, int sideBitmapId, QWidget* parent)
    : QWidget(parent), m_app(app), m_templateId(templateId), m_sideBitmapId(sideBitmapId) {
    setFixedSize(kPageWidth, kPageHeight);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 10, 10, 6);
    row->setSpacing(14);
    if (sideBitmapId > 0) {
        m_sidePanel = new BitmapPanel(this);
        m_sidePanel->setObjectName(QStringLiteral("sidePanel"));
        m_sidePanel->setFixedSize(kPanelWidth, kPanelHeight);
        row->addWidget(m_sidePanel, 0, Qt::AlignTop);
    }
    m_content = new QVBoxLayout;
    m_content->setSpacing(8);
    row->addLayout(m_content, 1);
}

QString WizardPage::UiString(int id, const char* fallback) const {
    return QString::fromStdString(m_app.LoadUiString(id, fallback));
}

void WizardPage::SetHeader(const QString& title, const QString& subtitle) {
    m_title = title;
    m_subtitle = subtitle;
}

QString WizardPage::Mnemonic(const QString& text, QChar letter) {
    if (text.contains(QLatin1Char('&'))) return text;
    const qsizetype at = text.indexOf(letter, 0, Qt::CaseInsensitive);
    QString marked = text;
    marked.insert(at < 0 ? 0 : at, QLatin1Char('&'));
    return marked;
}

void WizardPage::RememberSheet() {
    m_sheet = qobject_cast<WizardSheet*>(window());
}

void WizardPage::TruncateAfterThis() {
    if (!m_sheet) return;
    const int current = m_sheet->GetActiveIndex();
    while (m_sheet->GetPageCount() - 1 > current) m_sheet->RemovePage(m_sheet->GetPageCount() - 1);
}

void WizardPage::AddNextPage(int thisPage) {
    if (m_sheet) m_sheet->AddPage(WalkRules::NextPage(thisPage, m_app.Job()));
}

void WizardPage::EnableNext(bool enable) {
    if (m_sheet) m_sheet->Button(WizardSheet::ID_WIZNEXT)->setEnabled(enable);
}

void WizardPage::LoadSideBitmap() {
    // Missing artwork leaves the panel in the plain face colour.
    if (m_sidePanel) m_sidePanel->LoadBitmap(m_sideBitmapId);
}

bool WizardPage::AskToBreakCall() {
    const QString caption = UiString(8, "System in call");
    m_app.WriteLog(caption.toStdString(), 0);
    QMessageBox question(QMessageBox::Question, caption,
                         UiString(7,
                                  "Do you want to continue with update?\nCall will be "
                                  "disconnected if you continue with update!"),
                         QMessageBox::Ok | QMessageBox::Cancel, this);
    question.setObjectName(QStringLiteral("inCallQuestion"));
    return question.exec() == QMessageBox::Ok;
}

}  // namespace quillmarch
