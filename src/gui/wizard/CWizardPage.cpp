#include "gui/wizard/CWizardPage.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/CQuillmarch6App.h"
#include "core/app/CWalkRules.h"
#include "gui/widgets/CStaticBmpEx.h"
#include "gui/wizard/CQuillmarchSheet.h"

namespace quillmarch {

CWizardPage::CWizardPage(CQuillmarch6App& app, int templateId, int sideBitmapId, QWidget* parent)
    : QWidget(parent), m_app(app), m_nTemplateId(templateId), m_nSideBitmapId(sideBitmapId) {
    setFixedSize(kPageWidth, kPageHeight);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 10, 10, 6);
    row->setSpacing(14);
    if (sideBitmapId > 0) {
        m_pSidePanel = new CStaticBmpEx(this);
        m_pSidePanel->setObjectName(QStringLiteral("sidePanel"));
        m_pSidePanel->setFixedSize(kPanelWidth, kPanelHeight);
        row->addWidget(m_pSidePanel, 0, Qt::AlignTop);
    }
    m_pContent = new QVBoxLayout;
    m_pContent->setSpacing(8);
    row->addLayout(m_pContent, 1);
}

QString CWizardPage::UiString(int id, const char* fallback) const {
    return QString::fromStdString(m_app.LoadUiString(id, fallback));
}

void CWizardPage::RememberSheet() {
    m_pSheet = qobject_cast<CQuillmarchSheet*>(window());
}

void CWizardPage::TruncateAfterThis() {
    if (!m_pSheet) return;
    const int current = m_pSheet->GetActiveIndex();
    while (m_pSheet->GetPageCount() - 1 > current)
        m_pSheet->RemovePage(m_pSheet->GetPageCount() - 1);
}

void CWizardPage::AddNextPage(int thisPage) {
    if (m_pSheet) m_pSheet->AddPage(CWalkRules::NextPage(thisPage, m_app));
}

void CWizardPage::EnableNext(bool enable) {
    if (m_pSheet) m_pSheet->Button(CQuillmarchSheet::ID_WIZNEXT)->setEnabled(enable);
}

void CWizardPage::LoadSideBitmap() {
    // Missing artwork leaves the panel in the plain face colour.
    if (m_pSidePanel) m_pSidePanel->LoadBitmap(m_nSideBitmapId);
}

bool CWizardPage::AskToBreakCall() {
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
