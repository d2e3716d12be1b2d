#pragma once

#include "gui/wizard/CWizardPage.h"

class QRadioButton;

namespace quillmarch {

class CLabel;

// The update type page: Typical or Custom.
class CUpgradeTypeProp : public CWizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 180;
    static constexpr int kSideBitmapId = 204;

    explicit CUpgradeTypeProp(CQuillmarch6App& app, QWidget* parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    int OnWizardNext() override;

private:
    CLabel* m_pHeading = nullptr;
    QRadioButton* m_pTypical = nullptr;
    QRadioButton* m_pCustom = nullptr;
};

}  // namespace quillmarch
