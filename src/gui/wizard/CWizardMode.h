#pragma once

namespace quillmarch {

class CQuillmarch6App;
class CMessageBoxRouter;

// Wizard mode: the stored settings are loaded, then the welcome dialog runs modally; the
// wizard and any update run happen inside it. Message boxes are real ones meanwhile. Answers
// the exit code, 0.
int RunWizardMode(CQuillmarch6App& app, CMessageBoxRouter& router, int& argc, char** argv);

}  // namespace quillmarch
