// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <initializer_list>

#include "gui/wizard/WizardPage.h"

class QButtonGroup;
class QGridLayout;
class QLabel;
class QRadioButton;

namespace quillmarch {

class PageLabel;

// The display page: video output, aspect ratio, and either the VGA resolution or the camera's
// video standard (they share one place), with a warning while the standard differs from the
// system's.
class DisplaySettingsPage : public WizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 195;
    static constexpr int kSideBitmapId = 191;

    explicit DisplaySettingsPage(RunContext& app, QWidget* parent = nullptr);

    void PageCreated() override;
    void PageShown() override;
    int ValidateNext() override;
    void BackClicked() override;

private:
    QButtonGroup* AddGroup(QLabel*& label, const char* labelName,
                           std::initializer_list<const char*> buttonNames);
    void SetTexts();
    void ApplyOutputView();
    void UpdateWarning();
    void StoreChoices();
    // Selects the button with that id, or none for any other value.
    static void Select(QButtonGroup& group, int id);

    PageLabel* m_heading = nullptr;
    QLabel* m_outputLabel = nullptr;
    QLabel* m_aspectLabel = nullptr;
    QLabel* m_resolutionLabel = nullptr;
    QLabel* m_standardLabel = nullptr;
    QGridLayout* m_grid = nullptr;  // one row per group: label, then its buttons in columns
    int m_gridRows = 0;
    QButtonGroup* m_output = nullptr;      // 0 composite, 1 S-video, 2 VGA
    QButtonGroup* m_aspect = nullptr;      // 0 4:3, 1 16:9
    QButtonGroup* m_resolution = nullptr;  // 0 800 x 600, 1 1024 x 768
    QButtonGroup* m_standard = nullptr;    // 0 NTSC, 1 PAL
    PageLabel* m_warning = nullptr;
};

}  // namespace quillmarch
