#include "gui/wizard/CUpgradeChoiceProp.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "core/app/CQuillmarch6App.h"
#include "core/app/CSettingsStore.h"
#include "core/app/CWalkRules.h"
#include "gui/widgets/CLabel.h"
#include "gui/wizard/CQuillmarchSheet.h"
#include "gui/wizard/CWalkChoices.h"

namespace quillmarch {

CUpgradeChoiceProp::CUpgradeChoiceProp(CQuillmarch6App& app, ISettingsBackend& settings,
                                       QWidget* parent)
    : CWizardPage(app, kTemplateId, kSideBitmapId, parent), m_settings(settings) {
    setObjectName(QStringLiteral("pageUpgradeChoice"));
    m_pHeading = new CLabel(this);
    m_pHeading->setObjectName(QStringLiteral("labelHeading"));
    m_pHeading->setWordWrap(true);
    m_pUpdateSoftware = new QCheckBox(this);
    m_pUpdateSoftware->setObjectName(QStringLiteral("checkUpdateSoftware"));
    m_pChangeSettings = new QCheckBox(this);
    m_pChangeSettings->setObjectName(QStringLiteral("checkChangeSettings"));
    m_pEraseFlash = new QCheckBox(this);
    m_pEraseFlash->setObjectName(QStringLiteral("checkEraseFlash"));
    Content()->addWidget(m_pHeading);
    Content()->addSpacing(16);
    for (QCheckBox* box : {m_pUpdateSoftware, m_pChangeSettings, m_pEraseFlash}) {
        Content()->addWidget(box);
        connect(box, &QCheckBox::clicked, this, [this] {
            ControlsToValues();
            UpdateNextButton();
        });
    }
    Content()->addStretch(1);
}

void CUpgradeChoiceProp::OnInitDialog() {
    LoadSideBitmap();
    m_pHeading->SetText(m_app.m_bCustomUpdate
                            ? UiString(128, "Please select your preferred update method.")
                            : UiString(212, "Please select the tasks to be performed."));
    m_pUpdateSoftware->setText(UiString(127, "Update Software"));
    m_pChangeSettings->setText(UiString(251, "Change System Settings"));
    m_pEraseFlash->setText(UiString(252, "Erase System Flash Memory"));
}

void CUpgradeChoiceProp::OnSetActive() {
    RememberSheet();
    TruncateAfterThis();
    m_bUpdateSoftware = m_app.m_bUpdateSoftware;
    m_bChangeSettings = m_app.m_bChangeSettings;
    m_bEraseFlash = m_app.m_bEraseFlash;
    // Typical offers the software update only; the hidden choices keep their job values.
    m_pChangeSettings->setVisible(m_app.m_bCustomUpdate);
    m_pEraseFlash->setVisible(m_app.m_bCustomUpdate);
    m_pUpdateSoftware->setChecked(m_bUpdateSoftware);
    m_pChangeSettings->setChecked(m_bChangeSettings);
    m_pEraseFlash->setChecked(m_bEraseFlash);
    UpdateNextButton();
}

void CUpgradeChoiceProp::ControlsToValues() {
    m_bUpdateSoftware = m_pUpdateSoftware->isChecked();
    m_bChangeSettings = m_pChangeSettings->isChecked();
    m_bEraseFlash = m_pEraseFlash->isChecked();
}

void CUpgradeChoiceProp::UpdateNextButton() {
    // Typical shows the software update only; a hidden task is no reason to go on.
    const bool custom = m_app.m_bCustomUpdate;
    EnableNext(m_bUpdateSoftware || (custom && (m_bChangeSettings || m_bEraseFlash)));
}

int CUpgradeChoiceProp::OnWizardNext() {
    ControlsToValues();
    m_app.m_bUpdateSoftware = m_bUpdateSoftware;
    m_app.m_bChangeSettings = m_bChangeSettings;
    m_app.m_bEraseFlash = m_bEraseFlash;
    // Tasks Typical does not show, or settings under an unticked task, must not run.
    CWalkChoices::DropHiddenChoices(m_app);
    std::string stored = m_app.m_bUpdateSoftware ? "yes" : "no";
    CSettingsStore(m_settings).AccessSetting(true, "UploadSoftware", stored);
    AddNextPage(CWalkRules::kUpgradeChoice);
    return kAdvance;
}

}  // namespace quillmarch
