#include "gui/wizard/CUpgradeTypeProp.h"

#include <QRadioButton>
#include <QVBoxLayout>

#include "core/app/CQuillmarch6App.h"
#include "core/app/CWalkRules.h"
#include "gui/widgets/CLabel.h"

namespace quillmarch {

CUpgradeTypeProp::CUpgradeTypeProp(CQuillmarch6App& app, QWidget* parent)
    : CWizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageUpgradeType"));
    m_pHeading = new CLabel(this);
    m_pHeading->setObjectName(QStringLiteral("labelHeading"));
    m_pHeading->setWordWrap(true);
    // One parent, so the two form one exclusive group.
    m_pTypical = new QRadioButton(this);
    m_pTypical->setObjectName(QStringLiteral("radioTypical"));
    m_pCustom = new QRadioButton(this);
    m_pCustom->setObjectName(QStringLiteral("radioCustom"));
    Content()->addWidget(m_pHeading);
    Content()->addSpacing(16);
    Content()->addWidget(m_pTypical);
    Content()->addWidget(m_pCustom);
    Content()->addStretch(1);
}

void CUpgradeTypeProp::OnInitDialog() {
    LoadSideBitmap();
    (m_app.m_bCustomUpdate ? m_pCustom : m_pTypical)->setChecked(true);
    m_pHeading->SetText(UiString(250, "Please choose the update type."));
    m_pCustom->setText(UiString(249, "Custom"));
    m_pTypical->setText(UiString(248, "Typical"));
}

void CUpgradeTypeProp::OnSetActive() {
    RememberSheet();
    TruncateAfterThis();
    EnableNext(true);
}

int CUpgradeTypeProp::OnWizardNext() {
    m_app.m_bCustomUpdate = m_pCustom->isChecked();
    AddNextPage(CWalkRules::kUpgradeType);
    return kAdvance;
}

}  // namespace quillmarch
