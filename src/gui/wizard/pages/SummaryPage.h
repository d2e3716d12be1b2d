// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>

#include "gui/wizard/WizardPage.h"

class QCheckBox;
class QLabel;
class QVBoxLayout;

namespace quillmarch {

class PageLabel;
class BitmapPanel;

// The summary: the job's tasks, each with a tick when chosen and, under a tick, the values the
// run sends or changes; "Verify the update" when an image is sent. Its Finish button (labelled
// Update or Finish) asks the system once more whether it is in a call, then ends the wizard so
// that the update run starts.
class SummaryPage : public WizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 171;
    static constexpr int kSideBitmapId = 176;
    static constexpr int kTickBitmapId = 193;
    static constexpr int kBlankBitmapId = 194;

    // The lines, top to bottom.
    enum LineKind { kUpdate, kChange, kLan, kSecurity, kDisplay, kErase, kLineCount };

    explicit SummaryPage(RunContext& app, QWidget* parent = nullptr);

    void PageCreated() override;
    void PageShown() override;
    bool ValidateFinish() override;

private:
    struct SLine {
        QLabel* text = nullptr;
        BitmapPanel* tick = nullptr;
        QLabel* detail = nullptr;  // the values sent or changed; shown only under a tick
    };

    void BuildLine(QVBoxLayout* lines, int line, const char* name, bool indented);
    void SetLine(int line, const QString& text, bool ticked, bool shown,
                 const QString& detail = QString());
    // The last button says what it starts.
    QString FinishText() const;
    void ShowTasks();
    // The erase confirmation; true when the operator chose to erase.
    bool ConfirmErase();
    QString EraseConfirmationText() const;
    // Which files an erase keeps, for the summary's erase line and the confirmation.
    QString KeptFilesText() const;
    void OnCallChecked(bool inCall);

    PageLabel* m_mainText = nullptr;
    std::array<SLine, kLineCount> m_lines;
    // After the image: wait until the system is back and check what it runs.
    QCheckBox* m_verifyBox = nullptr;
};

}  // namespace quillmarch
