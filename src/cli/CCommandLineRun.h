#pragma once

#include <string>
#include <vector>

namespace quillmarch {

// The executable's start-up and run modes for the command line.
class CCommandLineRun {
public:
    static int Main(int argc, char** argv);
    static std::string Usage();
    // "--help"/"--version" and the like, which the option letters leave free.
    static bool WantsHelp(const std::vector<std::string>& args);
    static bool WantsVersion(const std::vector<std::string>& args);
};

}  // namespace quillmarch
