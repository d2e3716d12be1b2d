#pragma once

#include "gui/wizard/CWizardPage.h"

class QCheckBox;

namespace quillmarch {

class CLabel;
class ISettingsBackend;

// The task choice page: Update Software always; Change System Settings and Erase System Flash
// Memory in Custom mode only. Next is possible while at least one task is chosen, hidden ones
// included.
class CUpgradeChoiceProp : public CWizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 168;
    static constexpr int kSideBitmapId = 179;

    CUpgradeChoiceProp(CQuillmarch6App& app, ISettingsBackend& settings, QWidget* parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    int OnWizardNext() override;

private:
    void ControlsToValues();
    void UpdateNextButton();

    ISettingsBackend& m_settings;
    CLabel* m_pHeading = nullptr;
    QCheckBox* m_pUpdateSoftware = nullptr;
    QCheckBox* m_pChangeSettings = nullptr;
    QCheckBox* m_pEraseFlash = nullptr;
    // The values bound to the boxes; they outlive a box being hidden.
    bool m_bUpdateSoftware = false;
    bool m_bChangeSettings = false;
    bool m_bEraseFlash = false;
};

}  // namespace quillmarch
