#pragma once

#include <memory>

class QWidget;

namespace quillmarch {

class CQuillmarch6App;
class CQuillmarchSheet;
class ISettingsBackend;

// One run of the wizard: a fresh sheet with the eleven page objects in page-table order,
// started on the information note, run modally over its owner.
class CWizardRunner {
public:
    // The sheet ready to show: page table set, page 0 in its list, help wired. The settings
    // store must outlive the sheet.
    static std::unique_ptr<CQuillmarchSheet> BuildSheet(CQuillmarch6App& app,
                                                        ISettingsBackend& settings, QWidget* owner);
    // True when the operator ended it with Finish (the caller then runs the update); on any
    // other ending the log is closed.
    static bool Run(CQuillmarch6App& app, QWidget* owner, ISettingsBackend& settings);
};

// The wizard with the program's own settings store.
bool RunWizard(CQuillmarch6App& app, QWidget* owner);

}  // namespace quillmarch
