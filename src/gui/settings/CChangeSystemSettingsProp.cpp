#include "gui/settings/CChangeSystemSettingsProp.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "core/app/CQuillmarch6App.h"
#include "core/app/CWalkRules.h"
#include "core/catalogue/CSystemInformationArray.h"
#include "gui/widgets/CLabel.h"
#include "gui/wizard/CQuillmarchSheet.h"

namespace quillmarch {

CChangeSystemSettingsProp::CChangeSystemSettingsProp(CQuillmarch6App& app, QWidget* parent)
    : CWizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageChangeSettings"));
    m_pHeading = new CLabel(this);
    m_pHeading->setObjectName(QStringLiteral("labelHeading"));
    m_pHeading->setWordWrap(true);
    m_pLan = new QCheckBox(this);
    m_pLan->setObjectName(QStringLiteral("checkLan"));
    m_pSecureMode = new QCheckBox(this);
    m_pSecureMode->setObjectName(QStringLiteral("checkSecureMode"));
    m_pDisplay = new QCheckBox(this);
    m_pDisplay->setObjectName(QStringLiteral("checkDisplay"));
    m_pSecurityNote = new CLabel(this);
    m_pSecurityNote->setObjectName(QStringLiteral("labelSecurityNote"));
    m_pSecurityNote->setWordWrap(true);
    Content()->addWidget(m_pHeading);
    Content()->addSpacing(16);
    for (QCheckBox* box : {m_pLan, m_pSecureMode, m_pDisplay}) {
        Content()->addWidget(box);
        connect(box, &QCheckBox::clicked, this, &CChangeSystemSettingsProp::UpdateNextButton);
    }
    connect(m_pSecureMode, &QCheckBox::clicked, this,
            &CChangeSystemSettingsProp::UpdateSecurityNote);
    Content()->addSpacing(16);
    Content()->addWidget(m_pSecurityNote);
    Content()->addStretch(1);
}

void CChangeSystemSettingsProp::OnInitDialog() {
    LoadSideBitmap();
    m_pHeading->SetText(UiString(253, "Please select the settings you wish to change."));
    m_pLan->setText(UiString(254, "LAN Properties"));
    m_pSecureMode->setText(UiString(255, "Enable Secure Mode"));
    m_pDisplay->setText(UiString(256, "Primary Display Properties"));
}

void CChangeSystemSettingsProp::OnSetActive() {
    RememberSheet();
    TruncateAfterThis();
    m_pLan->setChecked(m_app.m_bChangeLan);
    // The security mode can be changed only when the system said which mode it is in; a
    // hidden box leaves its place in the column to the display box.
    const bool reported = Sheet() && Sheet()->SecureModeReported();
    m_pSecureMode->setChecked(reported ? m_app.m_bSecureModeWanted : m_app.m_bSecureModeCurrent);
    m_pSecureMode->setVisible(reported);
    m_pDisplay->setChecked(m_app.m_bChangeDisplay);
    const bool displayModel = CSystemInformationArray::IsDisplaySettingsModel(m_app.m_nSystemType);
    if (!displayModel) m_pDisplay->setChecked(false);
    m_pDisplay->setVisible(displayModel);
    UpdateNextButton();
    UpdateSecurityNote();
    m_pLan->show();
}

void CChangeSystemSettingsProp::UpdateNextButton() {
    EnableNext(m_pDisplay->isChecked() || m_pLan->isChecked() ||
               m_pSecureMode->isChecked() != m_app.m_bSecureModeCurrent);
}

void CChangeSystemSettingsProp::UpdateSecurityNote() {
    const bool wanted = m_pSecureMode->isChecked();
    if (wanted == m_app.m_bSecureModeCurrent) {
        m_pSecurityNote->hide();
        return;
    }
    m_pSecurityNote->SetText(
        wanted ? UiString(216,
                          "Please note that enabling security mode will only allow secured "
                          "access to this system")
               : UiString(217,
                          "Please note that disabling security mode will allow unsecured access "
                          "to this system."));
    m_pSecurityNote->show();
}

int CChangeSystemSettingsProp::OnWizardNext() {
    m_app.m_bChangeLan = m_pLan->isChecked();
    m_app.m_bSecureModeWanted = m_pSecureMode->isChecked();
    m_app.m_bChangeDisplay = m_pDisplay->isChecked();
    AddNextPage(CWalkRules::kChangeSettings);
    return kAdvance;
}

}  // namespace quillmarch
