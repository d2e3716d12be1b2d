#pragma once

#include <string>
#include <vector>

namespace quillmarch {

class CQuillmarch6App;

// Reads the process command line into the job record: an address, "-p:" password, "-q",
// "-s", "-m", "-i", "-ks", "-fa", "-fs", "-fp", "-f:" log path, "-t:" time-out.
class CCommandLine {
public:
    // The argument text after the program's own name, as the job record keeps it.
    static std::string ArgumentText(const std::string& commandLine, bool& hasArguments);
    // The argument text cut at blanks; empty pieces dropped.
    static std::vector<std::string> Pieces(const std::string& argumentText);
    // Parses into the job record and opens the log; false when there were no arguments.
    static bool Parse(CQuillmarch6App& app, const std::string& commandLine);
    // The argument text with every password value replaced by "****", for the log.
    static std::string MaskPasswords(const std::string& argumentText);
    // The option dump record.
    static std::string OptionDump(const CQuillmarch6App& app);
    // Rebuilds a command line from argv the way the Windows command line reads.
    static std::string FromArgv(int argc, char** argv);

private:
    static void ApplyPiece(CQuillmarch6App& app, const std::string& piece);
    static void ApplyOption(CQuillmarch6App& app, const std::string& piece);
};

}  // namespace quillmarch
