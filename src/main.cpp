// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CommandLineRun.h"
#ifdef QUILLMARCH_HAVE_GUI
#include "gui/app/GuiEntryPoints.h"
#endif
#ifdef _WIN32
#include <windows.h>
// After windows.h: the shell header needs its types.
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/platform/Platform.h"
#endif

namespace {

int Run(int argc, char** argv) {
    quillmarch::GuiHooks hooks;
#ifdef QUILLMARCH_HAVE_GUI
    hooks = quillmarch::MakeGuiHooks();
#endif
    return quillmarch::CommandLineRun::Main(argc, argv, hooks, QUILLMARCH_PROGRAM_NAME);
}

}  // namespace

#ifdef _WIN32
// main() would get its arguments in the ANSI code page, which cannot hold every file name; the
// engine's text is UTF-8, so the program starts from the wide command line (linked -municode).
// It is split by CommandLineToArgvW, the system's own rule, so that a password holding blanks
// or quotes arrives exactly as the shell or script passed it.
namespace {

std::vector<std::string> WideArguments(int argc, wchar_t** runtimeArgv) {
    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** split = CommandLineToArgvW(GetCommandLineW(), &count); split != nullptr) {
        for (int i = 0; i < count; ++i)
            arguments.push_back(quillmarch::platform::Utf8FromWide(split[i]));
        LocalFree(split);
        return arguments;
    }
    for (int i = 0; i < argc; ++i)  // the C runtime's split, should the system's fail
        arguments.push_back(quillmarch::platform::Utf8FromWide(runtimeArgv[i]));
    return arguments;
}

}  // namespace

int wmain(int argc, wchar_t** wideArgv) {
    std::vector<std::string> arguments = WideArguments(argc, wideArgv);
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    // What the program prints is UTF-8 too; a console shows it so while the program runs.
    const UINT consoleCodePage = GetConsoleOutputCP();
    if (consoleCodePage != 0) SetConsoleOutputCP(CP_UTF8);
    const int code = Run(static_cast<int>(arguments.size()), argv.data());
    if (consoleCodePage != 0) SetConsoleOutputCP(consoleCodePage);
    return code;
}
#else
int main(int argc, char** argv) {
    return Run(argc, argv);
}
#endif
