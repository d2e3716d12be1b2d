#pragma once

#include <array>

#include "gui/wizard/CWizardPage.h"

class QCheckBox;
class QLabel;

namespace quillmarch {

class CLabel;
class CStaticBmpEx;

// The summary: the job's tasks, each with a tick when chosen, and "Verify the update" when an
// image is sent. Its Finish button (labelled Next) asks the system once more whether it is in
// a call, then ends the wizard so that the update run starts.
class CResultsProp : public CWizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 171;
    static constexpr int kSideBitmapId = 176;
    static constexpr int kTickBitmapId = 193;
    static constexpr int kBlankBitmapId = 194;

    // The lines, top to bottom.
    enum ELine { kUpdate, kChange, kLan, kSecurity, kDisplay, kErase, kLineCount };

    explicit CResultsProp(CQuillmarch6App& app, QWidget* parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    int OnWizardBack() override;
    bool OnWizardFinish() override;

private:
    struct SLine {
        QLabel* text = nullptr;
        CStaticBmpEx* tick = nullptr;
    };

    void BuildLine(int line, const char* name, bool indented);
    void SetLine(int line, const QString& text, bool ticked, bool shown);
    void ShowTasks();
    // The erase confirmation; true when the operator chose to erase.
    bool ConfirmErase();
    void OnCallChecked(bool inCall);

    CLabel* m_pMainText = nullptr;
    std::array<SLine, kLineCount> m_aLines;
    // After the image: wait until the system is back and check what it runs.
    QCheckBox* m_pVerify = nullptr;
};

}  // namespace quillmarch
