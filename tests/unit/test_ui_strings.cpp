// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>

#include "core/job/RunContext.h"
#include "core/ui/UiStrings.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"

namespace quillmarch {
namespace {

struct SLookupCase {
    int language;
    int id;
    const char* expected;  // "X" is the fallback every case passes
};

const SLookupCase kLookups[] = {
    // English table.
    {0, 190, "Finish Update"},
    {0, 191, "Error opening log file : "},
    {0, 0, "No Image."},
    {0, 238, "Got IDCANCEL from Progress Dlg"},
    {0, 294, "unsupported system.\n"},
    {0, 292,
     "Failed to put system into update mode.\n\t- Hold '0' on the remote control\n\t- Reboot "
     "the system\n\t- Wait until system comes up in update mode\n\t- Release '0' on the remote "
     "control\n\t- Execute Quillmacrh again."},
    {0, 50, "X"},   // an id the English table does not list
    {0, 187, "X"},  // another gap
    {0, 295, "X"},  // past the table
    {0, -1, "X"},
    // Prefixed tables: own texts and the English ones behind the prefix.
    {1, 9, "f_Can not update this type of system!"},
    {2, 9, "g_Can not update this type of system!"},
    {1, 7,
     "f_Do you want to continue with update?\nCall will be disconnected if you continue "
     "with update!"},
    {2, 4, "g_Password:"},
    {1, 4, "f_Password:"},
    {2, 23, "g_Password:"},
    {1, 83, "f_Options"},
    {2, 81, "g_Progress Dialog"},
    {1, 190, "X"},  // ids of 120 and more are not in these tables
    {2, 120, "X"},
    {1, 119, "X"},
    {2, 50, "X"},
    {1, -1, "X"},
    // Any other language answers every fallback.
    {5, 190, "X"},
    {5, 4, "X"},
    {-1, 190, "X"},
    {3, 0, "X"},
};

TEST(UiStrings, LookupByLanguageAndId) {
    for (const auto& c : kLookups) {
        EXPECT_EQ(UiStrings::Load(c.language, c.id, "X"), c.expected)
            << "language " << c.language << " id " << c.id;
    }
}

TEST(UiStrings, NegativeIdPassesAnyTextThrough) {
    const std::string text = "run-time text with &*& inside\n";
    for (int language : {0, 1, 2, 5}) EXPECT_EQ(UiStrings::Load(language, -7, text), text);
}

TEST(UiStrings, ApplicationLooksUpInItsLanguage) {
    test::FakeClock clock;
    test::RecordingMessageBox box;
    RunContext app(clock, box);
    EXPECT_EQ(app.LoadUiString(171, "fallback"), "Done");
    app.Job().options.language = 2;
    EXPECT_EQ(app.LoadUiString(2, "fallback"), "g_Quillmarch");
    EXPECT_EQ(app.LoadUiString(171, "fallback"), "fallback");
    app.Job().options.language = 5;
    EXPECT_EQ(app.LoadUiString(2, "fallback"), "fallback");
}

}  // namespace
}  // namespace quillmarch
