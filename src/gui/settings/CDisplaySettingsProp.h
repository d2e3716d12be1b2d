#pragma once

#include <initializer_list>

#include "gui/wizard/CWizardPage.h"

class QButtonGroup;
class QGridLayout;
class QLabel;
class QRadioButton;

namespace quillmarch {

class CLabel;

// The display page: video output, aspect ratio, and either the VGA resolution or the camera's
// video standard (they share one place), with a warning while the standard differs from the
// system's.
class CDisplaySettingsProp : public CWizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 195;
    static constexpr int kSideBitmapId = 191;

    explicit CDisplaySettingsProp(CQuillmarch6App& app, QWidget* parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    int OnWizardNext() override;
    int OnWizardBack() override;

private:
    QButtonGroup* AddGroup(QLabel*& label, const char* labelName,
                           std::initializer_list<const char*> buttonNames);
    void SetTexts();
    void ApplyOutputView();
    void UpdateWarning();
    void StoreChoices();
    // Selects the button with that id, or none for any other value.
    static void Select(QButtonGroup& group, int id);

    CLabel* m_pHeading = nullptr;
    QLabel* m_pOutputLabel = nullptr;
    QLabel* m_pAspectLabel = nullptr;
    QLabel* m_pResolutionLabel = nullptr;
    QLabel* m_pStandardLabel = nullptr;
    QGridLayout* m_pGrid = nullptr;  // one row per group: label, then its buttons in columns
    int m_nGridRows = 0;
    QButtonGroup* m_pOutput = nullptr;      // 0 composite, 1 S-video, 2 VGA
    QButtonGroup* m_pAspect = nullptr;      // 0 4:3, 1 16:9
    QButtonGroup* m_pResolution = nullptr;  // 0 800 x 600, 1 1024 x 768
    QButtonGroup* m_pStandard = nullptr;    // 0 NTSC, 1 PAL
    CLabel* m_pWarning = nullptr;
};

}  // namespace quillmarch
