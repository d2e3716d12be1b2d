// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/fleet/FleetInventory.h"
#include "cli/fleet/FleetPlanLoader.h"
#include "cli/fleet/PasswordSource.h"
#include "support/ScopedTempDir.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillmarch::fleet {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32

// Sets or clears QUILLMARCH_PASSWORD for one test and puts back what was there.
class ScopedPasswordVariable {
public:
    explicit ScopedPasswordVariable(const char* value) {
        if (const char* old = std::getenv(PasswordSource::kEnvironmentVariable)) m_saved = old;
        if (value)
            ::setenv(PasswordSource::kEnvironmentVariable, value, 1);
        else
            ::unsetenv(PasswordSource::kEnvironmentVariable);
    }
    ~ScopedPasswordVariable() {
        if (m_saved)
            ::setenv(PasswordSource::kEnvironmentVariable, m_saved->c_str(), 1);
        else
            ::unsetenv(PasswordSource::kEnvironmentVariable);
    }

private:
    std::optional<std::string> m_saved;
};

class FleetPassword : public testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes, fs::perms mode) {
        const std::string path = m_dir.Str(name);
        test::WriteFile(path, bytes);
        fs::permissions(path, mode);
        return path;
    }

    // Answers like an operator at a terminal, and counts that it was asked.
    PasswordSource::Prompt Operator(const std::string& answer) {
        return [this, answer](std::string& password, std::string&) {
            ++m_asked;
            password = answer;
            return true;
        };
    }

    static constexpr fs::perms kPrivate = fs::perms::owner_read | fs::perms::owner_write;
    static constexpr fs::perms kShared = kPrivate | fs::perms::group_read | fs::perms::others_read;
    test::ScopedTempDir m_dir;
    int m_asked = 0;
};

TEST_F(FleetPassword, APasswordFileMustBePrivateToItsOwner) {
    std::string password;
    std::string error;
    const std::string shared = Write("shared.txt", "secret\n", kShared);
    EXPECT_FALSE(PasswordSource::ReadFile(shared, password, error));
    EXPECT_NE(error.find("shared.txt"), std::string::npos) << error;
    EXPECT_NE(error.find("chmod 600"), std::string::npos) << error;
    EXPECT_NE(error.find("644"), std::string::npos) << error;
    EXPECT_EQ(error.find("secret"), std::string::npos) << error;
    EXPECT_TRUE(password.empty());

    const std::string writable = Write("w.txt", "secret\n", kPrivate | fs::perms::group_write);
    EXPECT_FALSE(PasswordSource::ReadFile(writable, password, error));

    const std::string mine = Write("mine.txt", "secret\r\nsecond line\n", kPrivate);
    ASSERT_TRUE(PasswordSource::ReadFile(mine, password, error)) << error;
    EXPECT_EQ(password, "secret");
}

// A system without a password is updated too: an empty first line or an empty variable says
// so on purpose.
TEST_F(FleetPassword, AnEmptyPasswordIsTakenFromAFileOrTheEnvironment) {
    std::string password = "stale";
    std::string error;
    ASSERT_TRUE(PasswordSource::ReadFile(Write("n.txt", "\r\nnext\n", kPrivate), password, error))
        << error;
    EXPECT_EQ(password, "");
    password = "stale";
    ASSERT_TRUE(PasswordSource::Resolve(Write("n2.txt", "\n", kPrivate), nullptr, password, error))
        << error;
    EXPECT_EQ(password, "");
}

TEST_F(FleetPassword, ABadPasswordFileIsRefused) {
    std::string password;
    std::string error;
    EXPECT_FALSE(PasswordSource::ReadFile(Write("e.txt", "", kPrivate), password, error));
    EXPECT_NE(error.find("holds no password line"), std::string::npos) << error;
    EXPECT_FALSE(PasswordSource::ReadFile(Write("l.txt", std::string(1025, 'x'), kPrivate),
                                          password, error));
    EXPECT_NE(error.find("longer than 1024"), std::string::npos) << error;
    EXPECT_FALSE(PasswordSource::ReadFile(m_dir.Str("none.txt"), password, error));
    EXPECT_NE(error.find("none.txt: cannot be read"), std::string::npos) << error;
    EXPECT_TRUE(PasswordSource::ReadFile(Write("max.txt", std::string(1024, 'x'), kPrivate),
                                         password, error))
        << error;
}

// A pipe would keep the read waiting for a writer that never comes; a folder is no file.
TEST_F(FleetPassword, OnlyPlainFilesAreReadAsPasswordOrInventory) {
    std::vector<std::string> paths{m_dir.Str("folder")};
    fs::create_directory(paths[0]);
    fs::permissions(paths[0], fs::perms::owner_all);
#ifndef _WIN32
    paths.push_back(m_dir.Str("pipe"));
    ASSERT_EQ(mkfifo(paths[1].c_str(), 0600), 0);
#endif
    for (const std::string& path : paths) {
        std::string password;
        std::string error;
        EXPECT_FALSE(PasswordSource::ReadFile(path, password, error)) << path;
        EXPECT_NE(error.find("not a plain file"), std::string::npos) << error;
        Inventory inventory;
        std::vector<std::string> errors;
        EXPECT_FALSE(FleetInventory::Read(path, {}, inventory, errors)) << path;
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_NE(errors[0].find("not a plain file"), std::string::npos) << errors[0];
    }
}

TEST_F(FleetPassword, RowThenFileThenEnvironmentThenPrompt) {
    const std::string inventory = Write("s.csv",
                                        "address,password\n"
                                        "10.0.0.1,fromrow\n"
                                        "10.0.0.2,\n"
                                        "10.0.0.3,\"\"\n",  // quoted: no password, on purpose
                                        kPrivate);
    const std::string file = Write("pw.txt", "fromfile\n", kPrivate);
    struct Case {
        std::vector<std::string> extra;
        const char* environment;
        const char* second;  // the password the row without one gets
        int asked;
    };
    const std::vector<Case> cases = {
        {{"--password-file", file}, "fromenv", "fromfile", 0},
        {{}, "fromenv", "fromenv", 0},
        {{}, "", "", 0},  // set but empty: a system without a password, not "ask me"
        {{}, nullptr, "typed", 1},
    };
    for (const Case& c : cases) {
        ScopedPasswordVariable variable(c.environment);
        m_asked = 0;
        std::vector<std::string> args = {"--fleet", inventory};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        FleetPlan plan;
        std::string error;
        ASSERT_TRUE(LoadFleetPlan(args, Operator("typed"), plan, error)) << error;
        ASSERT_EQ(plan.systems.size(), 3u);
        EXPECT_EQ(plan.systems[0].password, "fromrow");
        EXPECT_EQ(plan.systems[1].password, c.second);
        EXPECT_EQ(plan.systems[2].password, "");
        EXPECT_EQ(m_asked, c.asked) << c.second;
    }
}

TEST_F(FleetPassword, NoOneIsAskedWhenEveryRowHasItsPassword) {
    ScopedPasswordVariable variable(nullptr);
    const std::string inventory = Write("s.csv", "address,password\n10.0.0.1,a\n", kPrivate);
    FleetPlan plan;
    std::string error;
    ASSERT_TRUE(LoadFleetPlan({"--fleet", inventory}, Operator("typed"), plan, error)) << error;
    EXPECT_EQ(m_asked, 0);
    EXPECT_EQ(plan.systems[0].password, "a");
}

TEST_F(FleetPassword, AnInventoryWithPasswordsMustBePrivate) {
    ScopedPasswordVariable variable("fromenv");
    const std::string withPasswords = Write("p.csv", "address,password\n10.0.0.1,a\n", kShared);
    FleetPlan plan;
    std::string error;
    EXPECT_FALSE(LoadFleetPlan({"--fleet", withPasswords}, Operator("x"), plan, error));
    EXPECT_NE(error.find("p.csv: holds passwords"), std::string::npos) << error;
    EXPECT_NE(error.find("chmod 600"), std::string::npos) << error;

    // Without a password column the file is no secret.
    const std::string plain = Write("n.csv", "address\n10.0.0.1\n", kShared);
    ASSERT_TRUE(LoadFleetPlan({"--fleet", plain}, Operator("x"), plan, error)) << error;
    EXPECT_EQ(plan.systems[0].password, "fromenv");
}

TEST_F(FleetPassword, WithoutATerminalTheRefusalSaysWhereAPasswordCanCome) {
    ScopedPasswordVariable variable(nullptr);
    const std::string inventory = Write("s.csv", "address\n10.0.0.1\n", kPrivate);
    const PasswordSource::Prompt noTerminal = [](std::string&, std::string& error) {
        error = "no terminal";
        return false;
    };
    FleetPlan plan;
    std::string error;
    EXPECT_FALSE(LoadFleetPlan({"--fleet", inventory}, noTerminal, plan, error));
    EXPECT_EQ(error, "no terminal");
    // The real prompt when standard input is not a terminal (as under ctest, from /dev/null).
    if (!isatty(0)) {
        std::string password;
        EXPECT_FALSE(PasswordSource::AskTerminal(password, error));
        EXPECT_NE(error.find("--password-file"), std::string::npos) << error;
    }
}

TEST_F(FleetPassword, PlanErrorsListEveryFaultOnALine) {
    const std::string inventory =
        Write("s.csv", "address,name,options\n,Lobby,\n10.0.0.2,,-z\n", kPrivate);
    FleetPlan plan;
    std::string error;
    EXPECT_FALSE(LoadFleetPlan({"--fleet", inventory, "-m"}, Operator("x"), plan, error));
    const std::string shown = inventory;
    EXPECT_EQ(error, shown + ":2: no address\n" + shown + ":3: unknown option \"-z\"");
    EXPECT_TRUE(plan.systems.empty());
    EXPECT_FALSE(LoadFleetPlan({"--fleet", inventory, "-p:x"}, Operator("x"), plan, error));
    EXPECT_NE(error.find("--password-file"), std::string::npos) << error;
}

#endif  // !_WIN32

}  // namespace
}  // namespace quillmarch::fleet
