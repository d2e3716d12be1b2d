// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/pages/DisplaySettingsPage.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/job/RunContext.h"
#include "gui/widgets/PageLabel.h"

namespace quillmarch {

namespace {

constexpr int kVga = 2;

}  // namespace

DisplaySettingsPage::DisplaySettingsPage(RunContext& app, QWidget* parent)
    : WizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageDisplaySettings"));
    SetHeader(tr("Display settings"),
              tr("The video output, video standard and aspect ratio of the primary display."));
    m_heading = new PageLabel(this);
    m_heading->setObjectName(QStringLiteral("labelHeading"));
    m_heading->setWordWrap(true);
    Content()->addWidget(m_heading);
    m_grid = new QGridLayout;
    m_grid->setHorizontalSpacing(12);
    m_grid->setColumnStretch(3, 1);
    m_grid->setVerticalSpacing(4);
    Content()->addLayout(m_grid);
    m_output =
        AddGroup(m_outputLabel, "labelOutput", {"radioComposite", "radioSVideo", "radioVga"});
    m_aspect = AddGroup(m_aspectLabel, "labelAspect", {"radio4x3", "radio16x9"});
    // Resolution and standard take turns in the same place.
    m_resolution = AddGroup(m_resolutionLabel, "labelResolution", {"radio800", "radio1024"});
    m_standard = AddGroup(m_standardLabel, "labelStandard", {"radioNtsc", "radioPal"});
    m_warning = new PageLabel(this);
    m_warning->setObjectName(QStringLiteral("labelWarning"));
    m_warning->setWordWrap(true);
    Content()->addWidget(m_warning);
    Content()->addStretch(1);
    connect(m_output, &QButtonGroup::idClicked, this, &DisplaySettingsPage::ApplyOutputView);
    connect(m_standard, &QButtonGroup::idClicked, this, &DisplaySettingsPage::UpdateWarning);
}

QButtonGroup* DisplaySettingsPage::AddGroup(QLabel*& label, const char* labelName,
                                            std::initializer_list<const char*> buttonNames) {
    label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(labelName));
    auto* group = new QButtonGroup(this);
    // Each label over its buttons, and the buttons of all groups in the same columns: the
    // page is too narrow for a label and three buttons on one line.
    const int row = m_gridRows;
    m_gridRows += 2;
    m_grid->addWidget(label, row, 0, 1, 3);
    int id = 0;
    for (const char* name : buttonNames) {
        auto* button = new QRadioButton(this);
        button->setObjectName(QString::fromLatin1(name));
        group->addButton(button, id);
        m_grid->addWidget(button, row + 1, id++);
    }
    return group;
}

void DisplaySettingsPage::SetTexts() {
    m_heading->SetText(UiString(267, "Select Primary Display Properties:"));
    m_outputLabel->setText(UiString(268, "Video Output:"));
    m_output->button(0)->setText(Mnemonic(UiString(269, "Composite"), QLatin1Char('C')));
    m_output->button(1)->setText(Mnemonic(UiString(270, "S-Video"), QLatin1Char('S')));
    m_output->button(2)->setText(Mnemonic(UiString(271, "VGA"), QLatin1Char('V')));
    m_aspectLabel->setText(UiString(280, "Aspect Ratio:"));
    m_aspect->button(0)->setText(Mnemonic(UiString(272, "4 X 3"), QLatin1Char('4')));
    m_aspect->button(1)->setText(Mnemonic(UiString(273, "16 X 9"), QLatin1Char('6')));
    m_resolutionLabel->setText(UiString(279, "Screen Resolution:"));
    m_resolution->button(0)->setText(Mnemonic(UiString(275, "800 X 600"), QLatin1Char('8')));
    m_resolution->button(1)->setText(Mnemonic(UiString(276, "1024 X 768"), QLatin1Char('0')));
    m_standardLabel->setText(UiString(274, "Video Standard:"));
    m_standard->button(0)->setText(Mnemonic(UiString(278, "NTSC"), QLatin1Char('T')));
    m_standard->button(1)->setText(Mnemonic(UiString(277, "PAL"), QLatin1Char('P')));
    m_warning->SetText(UiString(266,
                                "Warning: \nChanging this setting may cause video malfunction.  "
                                "Please make sure you attached same video standard camera."));
}

void DisplaySettingsPage::PageCreated() {
    LoadSideBitmap();
    SetTexts();
    Select(*m_aspect, m_app.Job().display.aspect16x9 ? 1 : 0);
    Select(*m_standard, m_app.Job().display.palWanted ? 1 : 0);
    Select(*m_resolution, m_app.Job().display.resolution1024 ? 1 : 0);
    Select(*m_output, m_app.Job().display.videoOutput);
    ApplyOutputView();
}

void DisplaySettingsPage::Select(QButtonGroup& group, int id) {
    // An exclusive group cannot clear its last checked button.
    group.setExclusive(false);
    for (QAbstractButton* button : group.buttons()) button->setChecked(group.id(button) == id);
    group.setExclusive(true);
}

void DisplaySettingsPage::PageShown() {
    EnableNext(true);
}

void DisplaySettingsPage::ApplyOutputView() {
    const bool vga = m_output->checkedId() == kVga;
    m_resolutionLabel->setVisible(vga);
    for (QAbstractButton* button : m_resolution->buttons()) button->setVisible(vga);
    m_standardLabel->setVisible(!vga);
    for (QAbstractButton* button : m_standard->buttons()) button->setVisible(!vga);
    if (vga)
        m_warning->hide();
    else
        UpdateWarning();
}

void DisplaySettingsPage::UpdateWarning() {
    const int standard = m_standard->checkedId();
    const bool differs = (standard == 0 && m_app.Job().display.palCurrent) ||
                         (standard == 1 && !m_app.Job().display.palCurrent);
    m_warning->setVisible(differs);
}

void DisplaySettingsPage::StoreChoices() {
    if (m_output->checkedId() >= 0) m_app.Job().display.videoOutput = m_output->checkedId();
    if (m_aspect->checkedId() >= 0) m_app.Job().display.aspect16x9 = m_aspect->checkedId() == 1;
    if (m_resolution->checkedId() >= 0)
        m_app.Job().display.resolution1024 = m_resolution->checkedId() == 1;
    if (m_standard->checkedId() >= 0) m_app.Job().display.palWanted = m_standard->checkedId() == 1;
}

int DisplaySettingsPage::ValidateNext() {
    StoreChoices();
    return kAdvance;
}

void DisplaySettingsPage::BackClicked() {
    // The page is built anew from the job when the operator comes back: keep what was chosen.
    StoreChoices();
}

}  // namespace quillmarch
