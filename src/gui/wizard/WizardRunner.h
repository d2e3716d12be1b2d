// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>

class QWidget;

namespace quillmarch {

class RunContext;
class WizardSheet;
class ISettingsBackend;

// One run of the wizard: a fresh sheet with the eleven page objects in page-table order,
// started on the information note, run modally over its owner.
class WizardRunner {
public:
    // The sheet ready to show (it starts on page 0): page table set, help wired. The settings
    // store must outlive the sheet.
    static std::unique_ptr<WizardSheet> BuildSheet(RunContext& app, ISettingsBackend& settings,
                                                   QWidget* owner);
    // True when the operator ended it with Finish (the caller then runs the update); on any
    // other ending the log is closed.
    static bool Run(RunContext& app, QWidget* owner, ISettingsBackend& settings);
};

// The wizard with the program's own settings store.
bool RunWizard(RunContext& app, QWidget* owner);

}  // namespace quillmarch
