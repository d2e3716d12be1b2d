// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "gui/wizard/WizardPage.h"

class QRadioButton;

namespace quillmarch {

class PageLabel;

// The update type page: Typical or Custom.
class UpdateTypePage : public WizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 180;
    static constexpr int kSideBitmapId = 204;

    explicit UpdateTypePage(RunContext& app, QWidget* parent = nullptr);

    void PageCreated() override;
    void PageShown() override;
    int ValidateNext() override;

private:
    PageLabel* m_heading = nullptr;
    QRadioButton* m_typical = nullptr;
    QRadioButton* m_custom = nullptr;
};

}  // namespace quillmarch
