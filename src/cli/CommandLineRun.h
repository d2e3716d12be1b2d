// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "cli/GuiHooks.h"
#include "core/run/SystemEndMode.h"

namespace quillmarch {

class RunContext;
class MessageBoxRouter;
struct StartupResult;

// The executable's start-up and run modes for the command line.
class CommandLineRun {
public:
    // `program` is the executable's own name, which --help and --version show.
    static int Main(int argc, char** argv, const GuiHooks& hooks = {},
                    const std::string& program = "quillmarch");
    static std::string Usage(const std::string& program = "quillmarch");
    // --version: the name, the version and the licence.
    static std::string VersionText(const std::string& program);
    // "--help"/"--version" and the like, which the option letters leave free.
    static bool WantsHelp(const std::vector<std::string>& args);
    static bool WantsVersion(const std::vector<std::string>& args);

    // A failed run that could not send the system back from update mode.
    static constexpr int kExitLeftInUpdateMode = 7;
    // The run may have left the system in update mode (it could not be sent back for certain).
    static bool LeftUnsafe(SystemEndMode mode);

private:
    // The usage text with "{program}" where the program's name goes.
    static std::string UsageTemplate();
    // A command line the program will not run: why on stderr; answers the exit code.
    static int Refuse(const StartupResult& started, const std::string& program);
    // The update run of a command line; true on success.
    static bool RunFromCommandLine(RunContext& app, MessageBoxRouter& router, const GuiHooks& hooks,
                                   int& argc, char** argv, const ProgramEnd& endNow);
    // Wizard mode (no address, a display); answers the exit code.
    static int RunWizard(RunContext& app, MessageBoxRouter& router, const GuiHooks& hooks,
                         int& argc, char** argv);
    // The exit code of a finished update run.
    static int ExitCodeFor(const RunContext& app, bool success);
    static bool GuiUsable(const GuiHooks& hooks);
    // Disconnect, close a progress window that may still be there, give it time to go.
    static void EndProgram(RunContext& app);
};

}  // namespace quillmarch
