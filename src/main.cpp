#include "cli/CCommandLineRun.h"
#ifdef QUILLMARCH_HAVE_GUI
#include "gui/GuiHooks.h"
#endif

int main(int argc, char** argv) {
    quillmarch::SGuiHooks hooks;
#ifdef QUILLMARCH_HAVE_GUI
    hooks = quillmarch::MakeGuiHooks();
#endif
    return quillmarch::CCommandLineRun::Main(argc, argv, hooks);
}
