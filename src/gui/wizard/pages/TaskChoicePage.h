// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "gui/wizard/WizardPage.h"

class QCheckBox;

namespace quillmarch {

class PageLabel;
class ISettingsBackend;

// The task choice page: Update Software always; Change System Settings and Erase System Flash
// Memory in Custom mode only. Next is possible while at least one shown task is chosen, and
// never with both the software update and the erase: a run does one or the other.
class TaskChoicePage : public WizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 168;
    static constexpr int kSideBitmapId = 179;

    TaskChoicePage(RunContext& app, ISettingsBackend& settings, QWidget* parent = nullptr);

    void PageCreated() override;
    void PageShown() override;
    int ValidateNext() override;

private:
    void ControlsToValues();
    void UpdateNextButton();

public:
    // Why Next is refused with these choices; empty when it is not.
    static QString RefusalFor(bool custom, bool update, bool settings, bool erase);

private:
    ISettingsBackend& m_settings;
    PageLabel* m_heading = nullptr;
    QCheckBox* m_updateSoftwareBox = nullptr;
    QCheckBox* m_changeSettingsBox = nullptr;
    QCheckBox* m_eraseFlashBox = nullptr;
    PageLabel* m_refusal = nullptr;
    // The values bound to the boxes; they outlive a box being hidden.
    bool m_updateSoftware = false;
    bool m_changeSettings = false;
    bool m_eraseFlash = false;
};

}  // namespace quillmarch
