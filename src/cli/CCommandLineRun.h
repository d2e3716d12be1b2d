#pragma once

#include <string>
#include <vector>

#include "cli/SGuiHooks.h"

namespace quillmarch {

class CQuillmarch6App;
class CMessageBoxRouter;
struct SStartup;

// The executable's start-up and run modes for the command line.
class CCommandLineRun {
public:
    static int Main(int argc, char** argv, const SGuiHooks& hooks = {});
    static std::string Usage();
    // "--help"/"--version" and the like, which the option letters leave free.
    static bool WantsHelp(const std::vector<std::string>& args);
    static bool WantsVersion(const std::vector<std::string>& args);

private:
    // A command line the program will not run: why on stderr; answers the exit code.
    static int Refuse(const SStartup& started);
    // The update run of a command line; true on success.
    static bool RunFromCommandLine(CQuillmarch6App& app, CMessageBoxRouter& router,
                                   const SGuiHooks& hooks, int& argc, char** argv);
    static bool GuiUsable(const SGuiHooks& hooks);
    // Disconnect, close a progress window that may still be there, give it time to go.
    static void EndProgram(CQuillmarch6App& app);
};

}  // namespace quillmarch
