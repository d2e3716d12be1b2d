// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "gui/wizard/WizardPage.h"

class QLabel;

namespace quillmarch {

// The information note: the wizard's first page, a fixed note for the operator.
class NoticePage : public WizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 196;
    static constexpr int kSideBitmapId = 172;

    explicit NoticePage(RunContext& app, QWidget* parent = nullptr);

    void PageCreated() override;

private:
    QLabel* m_note = nullptr;
};

}  // namespace quillmarch
