#pragma once

#include "gui/wizard/CWizardPage.h"

class QLabel;

namespace quillmarch {

// The information note: the wizard's first page, a fixed note for the operator. It sets up the
// sheet's button row for the rest of the wizard.
class CInfoAlertProp : public CWizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 196;
    static constexpr int kSideBitmapId = 172;

    explicit CInfoAlertProp(CQuillmarch6App& app, QWidget* parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    int OnWizardNext() override;

private:
    QLabel* m_pNote = nullptr;
};

}  // namespace quillmarch
