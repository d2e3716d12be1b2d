#pragma once

#include "gui/wizard/CWizardPage.h"

class QLabel;

namespace quillmarch {

// Stands in for a settings page (settings choice, LAN, security mode, display) in a build
// that does not have it yet: it says so and refuses Next, so the operator goes Back and leaves
// Change System Settings unticked.
class CSettingsPlaceholderProp : public CWizardPage {
    Q_OBJECT
public:
    CSettingsPlaceholderProp(CQuillmarch6App& app, int templateId, int sideBitmapId,
                             const QString& objectName, QWidget* parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    int OnWizardNext() override;

private:
    QLabel* m_pNotice = nullptr;
};

}  // namespace quillmarch
