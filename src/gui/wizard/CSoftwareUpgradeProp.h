#pragma once

#include "gui/wizard/CWizardPage.h"

class QCheckBox;

namespace quillmarch {

class CLabel;

// The retained-data page: which of the system's data survive the update (settings, directory,
// sample sites, call detail report).
class CSoftwareUpgradeProp : public CWizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 166;
    static constexpr int kSideBitmapId = 177;

    explicit CSoftwareUpgradeProp(CQuillmarch6App& app, QWidget* parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    int OnWizardNext() override;

private:
    bool IsFirstModel() const;

    CLabel* m_pHeading = nullptr;
    QCheckBox* m_pSystemSettings = nullptr;
    QCheckBox* m_pDirectory = nullptr;
    QCheckBox* m_pSampleSites = nullptr;
    QCheckBox* m_pCallDetail = nullptr;
};

}  // namespace quillmarch
