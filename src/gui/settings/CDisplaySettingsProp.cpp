#include "gui/settings/CDisplaySettingsProp.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/app/CQuillmarch6App.h"
#include "core/app/CWalkRules.h"
#include "gui/widgets/CLabel.h"

namespace quillmarch {

namespace {

constexpr int kVga = 2;

}  // namespace

CDisplaySettingsProp::CDisplaySettingsProp(CQuillmarch6App& app, QWidget* parent)
    : CWizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageDisplaySettings"));
    m_pHeading = new CLabel(this);
    m_pHeading->setObjectName(QStringLiteral("labelHeading"));
    m_pHeading->setWordWrap(true);
    Content()->addWidget(m_pHeading);
    m_pGrid = new QGridLayout;
    m_pGrid->setHorizontalSpacing(12);
    m_pGrid->setColumnStretch(3, 1);
    m_pGrid->setVerticalSpacing(4);
    Content()->addLayout(m_pGrid);
    m_pOutput =
        AddGroup(m_pOutputLabel, "labelOutput", {"radioComposite", "radioSVideo", "radioVga"});
    m_pAspect = AddGroup(m_pAspectLabel, "labelAspect", {"radio4x3", "radio16x9"});
    // Resolution and standard take turns in the same place.
    m_pResolution = AddGroup(m_pResolutionLabel, "labelResolution", {"radio800", "radio1024"});
    m_pStandard = AddGroup(m_pStandardLabel, "labelStandard", {"radioNtsc", "radioPal"});
    m_pWarning = new CLabel(this);
    m_pWarning->setObjectName(QStringLiteral("labelWarning"));
    m_pWarning->setWordWrap(true);
    Content()->addWidget(m_pWarning);
    Content()->addStretch(1);
    connect(m_pOutput, &QButtonGroup::idClicked, this, &CDisplaySettingsProp::ApplyOutputView);
    connect(m_pStandard, &QButtonGroup::idClicked, this, &CDisplaySettingsProp::UpdateWarning);
}

QButtonGroup* CDisplaySettingsProp::AddGroup(QLabel*& label, const char* labelName,
                                             std::initializer_list<const char*> buttonNames) {
    label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(labelName));
    auto* group = new QButtonGroup(this);
    // Each label over its buttons, and the buttons of all groups in the same columns: the
    // page is too narrow for a label and three buttons on one line.
    const int row = m_nGridRows;
    m_nGridRows += 2;
    m_pGrid->addWidget(label, row, 0, 1, 3);
    int id = 0;
    for (const char* name : buttonNames) {
        auto* button = new QRadioButton(this);
        button->setObjectName(QString::fromLatin1(name));
        group->addButton(button, id);
        m_pGrid->addWidget(button, row + 1, id++);
    }
    return group;
}

void CDisplaySettingsProp::SetTexts() {
    m_pHeading->SetText(UiString(267, "Select Primary Display Properties:"));
    m_pOutputLabel->setText(UiString(268, "Video Output:"));
    m_pOutput->button(0)->setText(UiString(269, "Composite"));
    m_pOutput->button(1)->setText(UiString(270, "S-Video"));
    m_pOutput->button(2)->setText(UiString(271, "VGA"));
    m_pAspectLabel->setText(UiString(280, "Aspect Ratio:"));
    m_pAspect->button(0)->setText(UiString(272, "4 X 3"));
    m_pAspect->button(1)->setText(UiString(273, "16 X 9"));
    m_pResolutionLabel->setText(UiString(279, "Screen Resolution:"));
    m_pResolution->button(0)->setText(UiString(275, "800 X 600"));
    m_pResolution->button(1)->setText(UiString(276, "1024 X 768"));
    m_pStandardLabel->setText(UiString(274, "Video Standard:"));
    m_pStandard->button(0)->setText(UiString(278, "NTSC"));
    m_pStandard->button(1)->setText(UiString(277, "PAL"));
    m_pWarning->SetText(UiString(266,
                                 "Warning: \nChanging this setting may cause video malfunction.  "
                                 "Please make sure you attached same video standard camera."));
}

void CDisplaySettingsProp::OnInitDialog() {
    LoadSideBitmap();
    SetTexts();
    Select(*m_pAspect, m_app.m_bAspect16x9 ? 1 : 0);
    Select(*m_pStandard, m_app.m_bPalWanted ? 1 : 0);
    Select(*m_pResolution, m_app.m_bResolution1024 ? 1 : 0);
    Select(*m_pOutput, m_app.m_nVideoOutput);
    ApplyOutputView();
}

void CDisplaySettingsProp::Select(QButtonGroup& group, int id) {
    // An exclusive group cannot clear its last checked button.
    group.setExclusive(false);
    for (QAbstractButton* button : group.buttons()) button->setChecked(group.id(button) == id);
    group.setExclusive(true);
}

void CDisplaySettingsProp::OnSetActive() {
    RememberSheet();
    EnableNext(true);
    TruncateAfterThis();
}

void CDisplaySettingsProp::ApplyOutputView() {
    const bool vga = m_pOutput->checkedId() == kVga;
    m_pResolutionLabel->setVisible(vga);
    for (QAbstractButton* button : m_pResolution->buttons()) button->setVisible(vga);
    m_pStandardLabel->setVisible(!vga);
    for (QAbstractButton* button : m_pStandard->buttons()) button->setVisible(!vga);
    if (vga)
        m_pWarning->hide();
    else
        UpdateWarning();
}

void CDisplaySettingsProp::UpdateWarning() {
    const int standard = m_pStandard->checkedId();
    const bool differs =
        (standard == 0 && m_app.m_bPalCurrent) || (standard == 1 && !m_app.m_bPalCurrent);
    m_pWarning->setVisible(differs);
}

void CDisplaySettingsProp::StoreChoices() {
    if (m_pOutput->checkedId() >= 0) m_app.m_nVideoOutput = m_pOutput->checkedId();
    if (m_pAspect->checkedId() >= 0) m_app.m_bAspect16x9 = m_pAspect->checkedId() == 1;
    if (m_pResolution->checkedId() >= 0) m_app.m_bResolution1024 = m_pResolution->checkedId() == 1;
    if (m_pStandard->checkedId() >= 0) m_app.m_bPalWanted = m_pStandard->checkedId() == 1;
}

int CDisplaySettingsProp::OnWizardNext() {
    StoreChoices();
    AddNextPage(CWalkRules::kDisplaySettings);
    return kAdvance;
}

int CDisplaySettingsProp::OnWizardBack() {
    // The page is built anew from the job when the operator comes back: keep what was chosen.
    StoreChoices();
    return kAdvance;
}

}  // namespace quillmarch
