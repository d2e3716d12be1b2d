#pragma once

#include "gui/wizard/CWizardPage.h"

class QCheckBox;

namespace quillmarch {

class CLabel;

// The settings choice page: which groups of settings to change (LAN, display). The security
// box is kept but never shown, so this page cannot switch the security mode on its own; Next
// is possible only while something would change.
class CChangeSystemSettingsProp : public CWizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 181;
    static constexpr int kSideBitmapId = 187;

    explicit CChangeSystemSettingsProp(CQuillmarch6App& app, QWidget* parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    int OnWizardNext() override;

private:
    void UpdateNextButton();
    void UpdateSecurityNote();

    CLabel* m_pHeading = nullptr;
    QCheckBox* m_pLan = nullptr;
    QCheckBox* m_pSecureMode = nullptr;
    QCheckBox* m_pDisplay = nullptr;
    CLabel* m_pSecurityNote = nullptr;
};

}  // namespace quillmarch
