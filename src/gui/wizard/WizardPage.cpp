// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/WizardPage.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/job/RunContext.h"
#include "gui/widgets/BitmapPanel.h"
#include "gui/wizard/WizardSheet.h"

namespace quillmarch {

WizardPage::WizardPage(RunContext& app, int templateId, int sideBitmapId, QWidget* parent)
    : QWizardPage(parent), m_app(app), m_templateId(templateId), m_sideBitmapId(sideBitmapId) {
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
    setTitle(title);
    setSubTitle(subtitle);
}

bool WizardPage::validatePage() {
    // The summary is the last page: its button is Finish.
    if (isFinalPage()) return ValidateFinish();
    return ValidateNext() == kAdvance;
}

QString WizardPage::Mnemonic(const QString& text, QChar letter) {
    if (text.contains(QLatin1Char('&'))) return text;
    const qsizetype at = text.indexOf(letter, 0, Qt::CaseInsensitive);
    QString marked = text;
    marked.insert(at < 0 ? 0 : at, QLatin1Char('&'));
    return marked;
}

WizardSheet* WizardPage::Sheet() const {
    return qobject_cast<WizardSheet*>(wizard());
}

void WizardPage::EnableNext(bool enable) {
    m_nextAllowed = enable;
    emit completeChanged();
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
