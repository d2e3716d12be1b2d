// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "gui/wizard/WizardPage.h"

class QCheckBox;

namespace quillmarch {

class PageLabel;

// The settings choice page: which groups of settings to change (LAN, display). The security
// box is kept but never shown, so this page cannot switch the security mode on its own; Next
// is possible only while something would change.
class SettingsChoicePage : public WizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 181;
    static constexpr int kSideBitmapId = 187;

    explicit SettingsChoicePage(RunContext& app, QWidget* parent = nullptr);

    void PageCreated() override;
    void PageShown() override;
    int ValidateNext() override;

private:
    void UpdateNextButton();
    void UpdateSecurityNote();

    PageLabel* m_heading = nullptr;
    QCheckBox* m_lan = nullptr;
    QCheckBox* m_secureMode = nullptr;
    QCheckBox* m_display = nullptr;
    PageLabel* m_securityNote = nullptr;
};

}  // namespace quillmarch
