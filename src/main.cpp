#include "cli/CCommandLineRun.h"
#ifdef QUILLMARCH_HAVE_GUI
#include "gui/GuiHooks.h"
#endif
#ifdef _WIN32
#include <windows.h>

#include <string>
#include <vector>

#include "core/platform/Platform.h"
#endif

namespace {

int Run(int argc, char** argv) {
    quillmarch::SGuiHooks hooks;
#ifdef QUILLMARCH_HAVE_GUI
    hooks = quillmarch::MakeGuiHooks();
#endif
    return quillmarch::CCommandLineRun::Main(argc, argv, hooks);
}

}  // namespace

#ifdef _WIN32
// main() would get its arguments in the ANSI code page, which cannot hold every file name; the
// engine's text is UTF-8, so the program starts from the wide arguments (linked -municode).
int wmain(int argc, wchar_t** wideArgv) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(quillmarch::platform::Utf8FromWide(wideArgv[i]));
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    // What the program prints is UTF-8 too; a console shows it so while the program runs.
    const UINT consoleCodePage = GetConsoleOutputCP();
    if (consoleCodePage != 0) SetConsoleOutputCP(CP_UTF8);
    const int code = Run(argc, argv.data());
    if (consoleCodePage != 0) SetConsoleOutputCP(consoleCodePage);
    return code;
}
#else
int main(int argc, char** argv) {
    return Run(argc, argv);
}
#endif
