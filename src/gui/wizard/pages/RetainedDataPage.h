// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "gui/wizard/WizardPage.h"

class QCheckBox;

namespace quillmarch {

class PageLabel;

// The retained-data page: which of the system's data survive the update (settings, directory,
// sample sites, call detail report).
class RetainedDataPage : public WizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 166;
    static constexpr int kSideBitmapId = 177;

    explicit RetainedDataPage(RunContext& app, QWidget* parent = nullptr);

    void PageCreated() override;
    void PageShown() override;
    int ValidateNext() override;

private:
    bool IsFirstModel() const;

    PageLabel* m_heading = nullptr;
    QCheckBox* m_systemSettings = nullptr;
    QCheckBox* m_directory = nullptr;
    QCheckBox* m_sampleSites = nullptr;
    QCheckBox* m_callDetail = nullptr;
};

}  // namespace quillmarch
