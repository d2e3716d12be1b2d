// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "core/job/CommandLine.h"
#include "core/job/RunContext.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"

namespace quillmarch {
namespace {

namespace fs = std::filesystem;
using test::FakeClock;
using test::ReadFile;
using test::RecordingMessageBox;
using test::ScopedCurrentDir;
using test::ScopedTempDir;

// Each test parses in a folder of its own, so the derived log names land there.
class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest() : m_cwd(m_dir.Path()), m_app(m_clock, m_box) {
        m_app.BuildCatalogue();
        m_app.m_log.SetStampSource([] { return std::string("T"); });
        m_app.m_log.SetTempDirectory(m_dir.Str("fallback"));
    }

    std::vector<std::string> FilesInDir() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir.Path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    ScopedTempDir m_dir;
    ScopedCurrentDir m_cwd;
    FakeClock m_clock;
    RecordingMessageBox m_box;
    RunContext m_app;
};

struct SExpectedJob {
    std::string address{};
    std::string password{};
    std::string logPath{};
    std::string commandLine{};
    bool quiet = false;
    bool upload = true;
    bool passive = false;
    bool isdn = false;
    bool updateSoftware = true;
    bool retainDirectory = true;
    bool retainSettings = true;
    bool retainSamples = true;
    int transferOption = 0;
};

struct SParseCase {
    const char* name;
    std::vector<std::string> args;
    SExpectedJob job;
};

const std::string kLongPassword(CommandLine::kMaxPassword, 'x');

const SParseCase kParseCases[] = {
    {"QuietAddress",
     {"-q", "10.1.2.3"},
     {.address = "10.1.2.3",
      .logPath = "10_1_2_3.log",
      .commandLine = "-q 10.1.2.3",
      .quiet = true}},
    {"Passive",
     {"-m", "10.1.2.3"},
     {.address = "10.1.2.3",
      .logPath = "10_1_2_3.log",
      .commandLine = "-m 10.1.2.3",
      .passive = true}},
    {"LongForms",
     {"--quiet", "--PASSIVE", "h"},
     {.address = "h",
      .logPath = "h.log",
      .commandLine = "--quiet --PASSIVE h",
      .quiet = true,
      .passive = true}},
    {"LettersInAnyCase",
     {"-Q", "-S", "-M", "-I", "h"},
     {.address = "h",
      .logPath = "h.log",
      .commandLine = "-Q -S -M -I h",
      .quiet = true,
      .upload = false,
      .passive = true,
      .isdn = true}},
    {"RetainOptionsClearFlags",
     {"-fa", "-FS", "-fp", "10.0.0.1"},
     {.address = "10.0.0.1",
      .logPath = "10_0_0_1.log",
      .commandLine = "-fa -FS -fp 10.0.0.1",
      .retainDirectory = false,
      .retainSettings = false,
      .retainSamples = false}},
    {"LogPathWithBlankIsOneArgument",
     {"10.1.2.3", "-f:my logs.txt"},
     {.address = "10.1.2.3",
      .logPath = "my logs.txt",
      .commandLine = "10.1.2.3 \"-f:my logs.txt\""}},
    {"OptionsAfterTheAddress",
     {"10.1.2.3", "-q", "-s"},
     {.address = "10.1.2.3",
      .logPath = "10_1_2_3.log",
      .commandLine = "10.1.2.3 -q -s",
      .quiet = true,
      .upload = false}},
    {"TimeOutUpperCase",
     {"-T:42", "h"},
     {.address = "h", .logPath = "h.log", .commandLine = "-T:42 h", .transferOption = 42}},
    {"TimeOutZero", {"-t:0", "h"}, {.address = "h", .logPath = "h.log", .commandLine = "-t:0 h"}},
    {"UpperCasePasswordKeepsCase",
     {"-P:Secret", "10.1.2.3"},
     {.address = "10.1.2.3",
      .password = "Secret",
      .logPath = "10_1_2_3.log",
      .commandLine = "-P:**** 10.1.2.3"}},
    {"PasswordWithBlanksQuotesAndAnAddressInsideIsOneArgument",
     {"-p:a b \"c\" 'd' 10.9.9.9", "10.1.2.3"},
     {.address = "10.1.2.3",
      .password = "a b \"c\" 'd' 10.9.9.9",
      .logPath = "10_1_2_3.log",
      .commandLine = "-p:**** 10.1.2.3"}},
    {"PasswordAtTheLimit",
     {"-p:" + kLongPassword, "h"},
     {.address = "h", .password = kLongPassword, .logPath = "h.log", .commandLine = "-p:**** h"}},
    {"EmptyPassword", {"-p:", "h"}, {.address = "h", .logPath = "h.log", .commandLine = "-p: h"}},
    {"KeepSoftware",
     {"-ks", "h"},
     {.address = "h", .logPath = "h.log", .commandLine = "-ks h", .updateSoftware = false}},
    {"KeepSoftwareUpperCase",
     {"-KS", "h"},
     {.address = "h", .logPath = "h.log", .commandLine = "-KS h", .updateSoftware = false}},
    {"OnlyQuiet", {"-q"}, {.logPath = "", .commandLine = "-q", .quiet = true}},
    {"HostAndPort",
     {"sys.example:2121"},
     {.address = "sys.example:2121",
      .logPath = "sys_example_2121.log",
      .commandLine = "sys.example:2121"}},
    {"BracketedV6AndPort",
     {"-q", "[::1]:2121"},
     {.address = "[::1]:2121",
      .logPath = "___1__2121.log",
      .commandLine = "-q [::1]:2121",
      .quiet = true}},
    {"BareV6", {"::1"}, {.address = "::1", .logPath = "__1.log", .commandLine = "::1"}},
    {"BareV6WithZone",
     {"fe80::1%eth0"},
     {.address = "fe80::1%eth0", .logPath = "fe80__1%eth0.log", .commandLine = "fe80::1%eth0"}},
};

// Failure messages show the arguments rather than the raw bytes of the case.
void PrintTo(const SParseCase& c, std::ostream* os) {
    *os << c.name;
}

class ParseTable : public CommandLineTest, public ::testing::WithParamInterface<SParseCase> {};

TEST_P(ParseTable, FillsJobRecordAndDerivesTheLogName) {
    const SParseCase& c = GetParam();
    std::string error;
    ASSERT_TRUE(CommandLine::Parse(m_app, c.args, error)) << error;
    const SExpectedJob& e = c.job;
    EXPECT_EQ(m_app.Job().target.address, e.address);
    EXPECT_EQ(m_app.Job().target.password, e.password);
    EXPECT_EQ(m_app.m_logPath, e.logPath);
    EXPECT_EQ(m_app.Job().options.commandLine, e.commandLine);
    EXPECT_EQ(m_app.Job().options.quiet, e.quiet);
    EXPECT_EQ(m_app.Job().tasks.uploadImage, e.upload);
    EXPECT_EQ(m_app.Job().target.passiveMode, e.passive);
    EXPECT_EQ(m_app.Job().tasks.isdnUpdate, e.isdn);
    EXPECT_EQ(m_app.Job().tasks.updateSoftware, e.updateSoftware);
    EXPECT_EQ(m_app.Job().retain.directory, e.retainDirectory);
    EXPECT_EQ(m_app.Job().retain.systemSettings, e.retainSettings);
    EXPECT_EQ(m_app.Job().retain.sampleSites, e.retainSamples);
    EXPECT_TRUE(m_app.Job().retain.callDetail);  // no option reaches it
    EXPECT_EQ(m_app.Job().options.uploadTimeoutSeconds, e.transferOption);
    // Parsing opens nothing; the log opens under the chosen name, in the current folder.
    EXPECT_TRUE(FilesInDir().empty());
    if (e.logPath.empty()) return;  // no address, no log name: nothing to open
    ASSERT_TRUE(m_app.StartLog(""));
    EXPECT_TRUE(fs::exists(m_dir.Path() / e.logPath));
    EXPECT_EQ(e.logPath.find_first_of(":[]"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseTable, ::testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every argument the program cannot take for sure is refused, and the error names it (but
// never repeats a password).
struct SRefusalCase {
    std::vector<std::string> args;
    std::string named;  // what the error must contain
};

TEST_F(CommandLineTest, RefusesWhatItCannotTakeForSure) {
    const std::string tooLong = "-p:secret" + std::string(CommandLine::kMaxPassword, 'y');
    const SRefusalCase cases[] = {
        {{"--dry-run", "10.1.2.3"}, "unknown option \"--dry-run\""},
        {{"10.1.2.3", "--checkup"}, "unknown option \"--checkup\""},
        {{"-quiet", "h"}, "unknown option \"-quiet\""},
        {{"-Silent", "h"}, "unknown option \"-Silent\""},
        {{"-", "h"}, "unknown option \"-\""},
        {{"-ksx", "h"}, "unknown option \"-ksx\""},
        {{"-fz", "h"}, "unknown option \"-fz\""},
        {{"-tx5", "h"}, "unknown option \"-tx5\""},
        {{"-t:abc", "h"}, "\"-t:abc\" needs a number of seconds"},
        {{"-t:", "h"}, "\"-t:\" needs a number of seconds"},
        {{"-t:-5", "h"}, "\"-t:-5\" needs a number of seconds"},
        {{"-t:+42", "h"}, "\"-t:+42\" needs a number of seconds"},
        {{"-t:1000000", "h"}, "\"-t:1000000\" needs a number of seconds"},
        {{"-f:", "h"}, "\"-f:\" needs the name of the log file"},
        {{"-f:a.log", "-f:b.log", "h"}, "\"-f:b.log\" is given twice"},
        {{"-p:secret", "-p:secret2", "h"}, "\"-p...\" is given twice"},
        {{"-pXsecret", "h"}, "unknown option \"-p...\""},
        {{tooLong, "h"}, "the password is longer than 1024 characters"},
        {{"10.1.2.3", "10.9.9.9"}, "argument 2 is a second address"},
        {{"10.1.2.3", "secret"}, "argument 2 is a second address"},
        {{"", "h"}, "argument 1 is empty"},
        {{"%odd"}, "argument 1 is neither an option nor an address"},
        {{"a b"}, "argument 1 is neither an option nor an address"},
        {{"10.1.2.3;reboot"}, "argument 1 is neither an option nor an address"},
        {{"[::1"}, "argument 1 is neither an option nor an address"},
        {{"host:99999"}, "argument 1 is neither an option nor an address"},
        {{"::1%"}, "argument 1 is neither an option nor an address"},
        {{std::string(CommandLine::kMaxAddress + 1, 'a')},
         "argument 1 is neither an option nor an address"},
        {{"-q\t10.1.2.3"}, "unknown option \"-q\\t10.1.2.3\""},
    };
    for (const auto& c : cases) {
        RunContext app(m_clock, m_box);
        std::string error;
        EXPECT_FALSE(CommandLine::Parse(app, c.args, error)) << c.named;
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
        EXPECT_EQ(error.find("secret"), std::string::npos) << error;
    }
    EXPECT_TRUE(FilesInDir().empty());
}

TEST_F(CommandLineTest, NoArgumentsLeaveTheJobAlone) {
    std::string error;
    EXPECT_TRUE(CommandLine::Parse(m_app, {}, error));
    EXPECT_TRUE(m_app.Job().target.address.empty());
    EXPECT_TRUE(m_app.Job().options.commandLine.empty());
    EXPECT_TRUE(FilesInDir().empty());
}

TEST_F(CommandLineTest, LogHoldsCommandLineThenExactOptionDump) {
    std::string error;
    ASSERT_TRUE(CommandLine::Parse(m_app, {"-q", "-s", "-fa", "-i", "10.1.2.3"}, error));
    ASSERT_TRUE(m_app.StartLog(""));
    const std::string expected =
        "T : Command Line: -q -s -fa -i 10.1.2.3\n"
        "T : Quillmarch\r\n"
        "\tAddress          = 10.1.2.3\r\n"
        "\tPW Length        = 0\r\n"
        "\tUpdateImage      = FALSE\r\n"
        "\tDeleteAddresBook = FALSE\r\n"
        "\tDeleteSystemFiles= TRUE\r\n"
        "\tQuiteMode        = TRUE\r\n"
        "\tISDN Update\t\t= TRUE\r\n"
        "\tSystem Type      = \r\n"
        "\n";
    EXPECT_EQ(ReadFile(m_dir.Path() / "10_1_2_3.log"), expected);
}

TEST_F(CommandLineTest, PasswordReachesJobButNeverTheLog) {
    const std::string password = "Se cr\"et' -q 10.9.9.9";
    std::string error;
    ASSERT_TRUE(CommandLine::Parse(m_app, {"-P:" + password, "10.1.2.3"}, error));
    ASSERT_TRUE(m_app.StartLog(""));
    m_app.CloseLog();
    EXPECT_EQ(m_app.Job().target.password, password);
    EXPECT_EQ(m_app.Job().target.address, "10.1.2.3");
    const std::string log = ReadFile(m_dir.Path() / "10_1_2_3.log");
    EXPECT_NE(log.find("\tPW Length        = 21\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("T : Command Line: -P:**** 10.1.2.3\n"), std::string::npos) << log;
    for (const char* piece : {"Se", "cr", "et'", "10.9.9.9"})
        EXPECT_EQ(log.find(piece), std::string::npos) << piece << "\n" << log;
}

TEST(CommandLineMask, HidesEveryPasswordValueAndKeepsTheRest) {
    EXPECT_EQ(CommandLine::MaskedText({"-q", "-P:Secret", "10.1.2.3"}), "-q -P:**** 10.1.2.3");
    EXPECT_EQ(CommandLine::MaskedText({"-p:a", "-pXbc", "-p:", "-p"}), "-p:**** -pX**** -p: -p");
    EXPECT_EQ(CommandLine::MaskedText({"x-p:abc", "-f:p", "-q"}), "x-p:abc -f:p -q");
    EXPECT_EQ(CommandLine::MaskedText({"-p:a b c", "-f:my logs/x.log"}),
              "-p:**** \"-f:my logs/x.log\"");
    EXPECT_EQ(CommandLine::MaskedText({}), "");
}

struct SDumpCase {
    int systemType;
    const char* line;
};

TEST_F(CommandLineTest, OptionDumpNamesTheSystemTypeByRow) {
    const SDumpCase cases[] = {{0, "\tSystem Type      = MDR\r\n"},
                               {4, "\tSystem Type      = \r\n"},
                               {10, "\tSystem Type      = KDV 18S\r\n"},
                               {14, "\tSystem Type      = \r\n"}};
    for (const auto& c : cases) {
        m_app.Job().target.systemType = c.systemType;
        const std::string dump = CommandLine::OptionDump(m_app);
        const std::string tail = c.line;
        ASSERT_GE(dump.size(), tail.size());
        EXPECT_EQ(dump.substr(dump.size() - tail.size()), tail) << "type " << c.systemType;
    }
}

TEST_F(CommandLineTest, OptionDumpCarriesAnAddressOfAnyLength) {
    m_app.Job().target.address = std::string(5000, 'a');
    const std::string dump = CommandLine::OptionDump(m_app);
    EXPECT_NE(dump.find("= " + m_app.Job().target.address + "\r\n"), std::string::npos);
    EXPECT_EQ(dump.substr(dump.size() - 2), "\r\n");
}

TEST(CommandLineArguments, TakesEachArgumentWholeWithoutTheProgram) {
    std::string program = R"(C:\Program Files\q.exe)", quiet = "-q", password = "-p:a \"b\" c";
    char* argv[] = {program.data(), quiet.data(), password.data()};
    EXPECT_EQ(CommandLine::Arguments(3, argv), (std::vector<std::string>{"-q", "-p:a \"b\" c"}));
    EXPECT_TRUE(CommandLine::Arguments(1, argv).empty());
    EXPECT_TRUE(CommandLine::Arguments(0, nullptr).empty());
}

}  // namespace
}  // namespace quillmarch
