// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "cli/GuiHooks.h"

namespace quillmarch {

class RunContext;
class MessageBoxRouter;

// Wizard mode: the stored settings are loaded, then the welcome dialog runs modally; the
// wizard and any update run happen inside it. Message boxes are real ones meanwhile. Answers
// the exit code, 0. A stop (a signal) ends the wizard once no update runs; a run stops at its
// next safe point first. With end, a display that goes away under a run lets the run finish
// without a window and then ends the program through end.
int RunWizardMode(RunContext& app, MessageBoxRouter& router, int& argc, char** argv,
                  const ProgramEnd& end = {});

}  // namespace quillmarch
