#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "core/app/CCommandLine.h"
#include "core/app/CQuillmarch6App.h"
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
        m_app.m_catalogue.Build();
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
    CQuillmarch6App m_app;
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
    std::string line;
    SExpectedJob job;
};

const SParseCase kParseCases[] = {
    {"QuotedProgramKeepsLeadingBlank",
     R"("C:\Program Files\Tessary\quillmarch.exe" -q 10.1.2.3)",
     {.address = "10.1.2.3",
      .logPath = "10_1_2_3.log",
      .commandLine = " -q 10.1.2.3",
      .quiet = true}},
    {"UnquotedProgram",
     "quillmarch -m 10.1.2.3",
     {.address = "10.1.2.3",
      .logPath = "10_1_2_3.log",
      .commandLine = "-m 10.1.2.3",
      .passive = true}},
    {"OptionsReadOnlyTheirLetters",
     "quillmarch -quiet -Silent -MODE -isdn h",
     {.address = "h",
      .logPath = "h.log",
      .commandLine = "-quiet -Silent -MODE -isdn h",
      .quiet = true,
      .upload = false,
      .passive = true,
      .isdn = true}},
    {"RetainOptionsClearFlags",
     "quillmarch -fall -FS -fp 10.0.0.1",
     {.address = "10.0.0.1",
      .logPath = "10_0_0_1.log",
      .commandLine = "-fall -FS -fp 10.0.0.1",
      .retainDirectory = false,
      .retainSettings = false,
      .retainSamples = false}},
    {"LogPathCutAtBlankRestIsAddress",
     "quillmarch 10.1.2.3 -f:my logs.txt",
     {.address = "logs.txt", .logPath = "my", .commandLine = "10.1.2.3 -f:my logs.txt"}},
    {"LogPathCutAtBlankRestIgnored",
     "quillmarch 10.1.2.3 -F:my _rest",
     {.address = "10.1.2.3", .logPath = "my", .commandLine = "10.1.2.3 -F:my _rest"}},
    {"StrayQuoteDropsTextUpToIt",
     R"(quillmarch -q a"b -m 10.1.2.3)",
     {.address = "10.1.2.3",
      .logPath = "10_1_2_3.log",
      .commandLine = "b -m 10.1.2.3",
      .passive = true}},
    {"TwoStrayQuotesDropOptionsBefore",
     R"(quillmarch -q -m 10.1.2.3 x"y z"-s)",
     {.logPath = ".log", .commandLine = "-s", .upload = false}},
    {"TimeOutLettersOnly", "quillmarch -t:abc", {.logPath = ".log", .commandLine = "-t:abc"}},
    {"TimeOutSignStopsAtLetter",
     "quillmarch -t:-5x",
     {.logPath = ".log", .commandLine = "-t:-5x", .transferOption = -5}},
    {"TimeOutUpperCasePlus",
     "quillmarch -T:+42",
     {.logPath = ".log", .commandLine = "-T:+42", .transferOption = 42}},
    {"TimeOutNeedsColon", "quillmarch -tx5", {.logPath = ".log", .commandLine = "-tx5"}},
    {"LastAddressWins",
     "quillmarch 10.1.2.3 10.9.9.9",
     {.address = "10.9.9.9", .logPath = "10_9_9_9.log", .commandLine = "10.1.2.3 10.9.9.9"}},
    {"UpperCasePasswordKeepsCase",
     "quillmarch -P:Secret 10.1.2.3",
     {.address = "10.1.2.3",
      .password = "Secret",
      .logPath = "10_1_2_3.log",
      .commandLine = "-P:Secret 10.1.2.3"}},
    {"PasswordThirdCharacterAnything",
     "quillmarch -pXsecret",
     {.password = "secret", .logPath = ".log", .commandLine = "-pXsecret"}},
    {"KeepSoftwareExactlyThree",
     "quillmarch -ks",
     {.logPath = ".log", .commandLine = "-ks", .updateSoftware = false}},
    {"KeepSoftwareUpperCase",
     "quillmarch -KS",
     {.logPath = ".log", .commandLine = "-KS", .updateSoftware = false}},
    {"KeepSoftwareLongerIgnored", "quillmarch -ksx", {.logPath = ".log", .commandLine = "-ksx"}},
    {"OnlyQuiet", "quillmarch -q", {.logPath = ".log", .commandLine = "-q", .quiet = true}},
    {"HostAndPort",
     "quillmarch sys.example:2121",
     {.address = "sys.example:2121",
      .logPath = "sys_example_2121.log",
      .commandLine = "sys.example:2121"}},
    {"BracketedV6AndPort",
     "quillmarch -q [::1]:2121",
     {.address = "[::1]:2121",
      .logPath = "___1__2121.log",
      .commandLine = "-q [::1]:2121",
      .quiet = true}},
    {"UnknownAndLoneOptionsIgnored",
     "quillmarch - -x -fz -kx %odd 10.1.2.3",
     {.address = "10.1.2.3",
      .logPath = "10_1_2_3.log",
      .commandLine = "- -x -fz -kx %odd 10.1.2.3"}},
    {"TabIsNoSeparator",
     "quillmarch -q\t10.1.2.3",
     {.logPath = ".log", .commandLine = "-q\t10.1.2.3", .quiet = true}},
    {"RepeatedBlanksDropEmptyPieces",
     "quillmarch   -s   10.1.2.3  ",
     {.address = "10.1.2.3",
      .logPath = "10_1_2_3.log",
      .commandLine = "  -s   10.1.2.3  ",
      .upload = false}},
};

// Failure messages show the command line rather than the raw bytes of the case.
void PrintTo(const SParseCase& c, std::ostream* os) {
    *os << c.line;
}

class ParseTable : public CommandLineTest, public ::testing::WithParamInterface<SParseCase> {};

TEST_P(ParseTable, FillsJobRecordAndOpensDerivedLog) {
    const SParseCase& c = GetParam();
    ASSERT_TRUE(CCommandLine::Parse(m_app, c.line));
    const SExpectedJob& e = c.job;
    EXPECT_EQ(m_app.m_strAddress, e.address);
    EXPECT_EQ(m_app.m_strPassword, e.password);
    EXPECT_EQ(m_app.m_strLogPath, e.logPath);
    EXPECT_EQ(m_app.m_strCommandLine, e.commandLine);
    EXPECT_EQ(m_app.m_bQuiet, e.quiet);
    EXPECT_EQ(m_app.m_bUploadImage, e.upload);
    EXPECT_EQ(m_app.m_bPassiveMode, e.passive);
    EXPECT_EQ(m_app.m_bIsdnUpdate, e.isdn);
    EXPECT_EQ(m_app.m_bUpdateSoftware, e.updateSoftware);
    EXPECT_EQ(m_app.m_bRetainDirectory, e.retainDirectory);
    EXPECT_EQ(m_app.m_bRetainSystemSettings, e.retainSettings);
    EXPECT_EQ(m_app.m_bRetainSampleSites, e.retainSamples);
    EXPECT_TRUE(m_app.m_bRetainCallDetail);  // no option reaches it
    EXPECT_EQ(m_app.m_nTransferOption, e.transferOption);
    // The log is open under the chosen name, in the current folder.
    EXPECT_TRUE(m_app.m_log.IsOpen());
    EXPECT_TRUE(fs::exists(m_dir.Path() / e.logPath));
    EXPECT_EQ(e.logPath.find_first_of(":[]"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseTable, ::testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

class NoArguments : public CommandLineTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(NoArguments, LeaveJobAloneAndOpenNoLog) {
    EXPECT_FALSE(CCommandLine::Parse(m_app, GetParam()));
    EXPECT_TRUE(m_app.m_strCommandLine.empty());
    EXPECT_TRUE(m_app.m_strLogPath.empty());
    EXPECT_FALSE(m_app.m_log.IsOpen());
    EXPECT_TRUE(FilesInDir().empty());
}

INSTANTIATE_TEST_SUITE_P(Lines, NoArguments,
                         ::testing::Values("quillmarch", "quillmarch ", "quillmarch    ",
                                           "quillmarch\t-q", R"("C:\x y\quillmarch.exe")",
                                           R"("C:\x y\quillmarch.exe"   )", R"(quillmarch -q ")",
                                           ""));

TEST_F(CommandLineTest, LogHoldsCommandLineThenExactOptionDump) {
    ASSERT_TRUE(CCommandLine::Parse(m_app, R"("C:\Q M\q.exe" -q -s -fa -i 10.1.2.3)"));
    const std::string expected =
        "T : Command Line:  -q -s -fa -i 10.1.2.3\n"
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
    ASSERT_TRUE(CCommandLine::Parse(m_app, "quillmarch -P:Secret 10.1.2.3"));
    m_app.CloseLog();
    EXPECT_EQ(m_app.m_strPassword, "Secret");
    const std::string log = ReadFile(m_dir.Path() / "10_1_2_3.log");
    EXPECT_NE(log.find("\tPW Length        = 6\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("T : Command Line: "), std::string::npos) << log;
    EXPECT_EQ(log.find("Secret"), std::string::npos) << log;
}

TEST(CommandLineMask, HidesEveryPasswordValueAndKeepsTheRest) {
    EXPECT_EQ(CCommandLine::MaskPasswords(" -q -P:Secret 10.1.2.3"), " -q -P:**** 10.1.2.3");
    EXPECT_EQ(CCommandLine::MaskPasswords("-p:a -pXbc -p: -p"), "-p:**** -pX**** -p: -p");
    EXPECT_EQ(CCommandLine::MaskPasswords("x-p:abc -f:p -q"), "x-p:abc -f:p -q");
    EXPECT_EQ(CCommandLine::MaskPasswords("  -p:abc  x "), "  -p:****  x ");
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
        m_app.m_nSystemType = c.systemType;
        const std::string dump = CCommandLine::OptionDump(m_app);
        const std::string tail = c.line;
        ASSERT_GE(dump.size(), tail.size());
        EXPECT_EQ(dump.substr(dump.size() - tail.size()), tail) << "type " << c.systemType;
    }
}

TEST_F(CommandLineTest, OptionDumpCarriesAnAddressOfAnyLength) {
    m_app.m_strAddress = std::string(5000, 'a');
    const std::string dump = CCommandLine::OptionDump(m_app);
    EXPECT_NE(dump.find("= " + m_app.m_strAddress + "\r\n"), std::string::npos);
    EXPECT_EQ(dump.substr(dump.size() - 2), "\r\n");
}

TEST(CommandLineFromArgv, QuotesProgramPathsWithBlanks) {
    std::string program = R"(C:\Program Files\q.exe)", quiet = "-q", address = "10.1.2.3";
    char* argv[] = {program.data(), quiet.data(), address.data()};
    const std::string line = CCommandLine::FromArgv(3, argv);
    EXPECT_EQ(line, R"("C:\Program Files\q.exe" -q 10.1.2.3)");
    bool hasArguments = false;
    EXPECT_EQ(CCommandLine::ArgumentText(line, hasArguments), " -q 10.1.2.3");
    EXPECT_TRUE(hasArguments);

    std::string plain = "/usr/bin/quillmarch";
    char* single[] = {plain.data()};
    EXPECT_EQ(CCommandLine::FromArgv(1, single), "/usr/bin/quillmarch");
    EXPECT_EQ(CCommandLine::FromArgv(0, nullptr), "quillmarch");
}

}  // namespace
}  // namespace quillmarch
