// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace quillmarch {

class RunContext;
class MessageBoxRouter;

// Wizard mode: the stored settings are loaded, then the welcome dialog runs modally; the
// wizard and any update run happen inside it. Message boxes are real ones meanwhile. Answers
// the exit code, 0.
int RunWizardMode(RunContext& app, MessageBoxRouter& router, int& argc, char** argv);

}  // namespace quillmarch
