// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/catalogue/ModelCatalogue.h"

namespace quillmarch {
namespace {

class CatalogueTest : public ::testing::Test {
protected:
    CatalogueTest() { m_catalogue.Build(); }
    ModelCatalogue m_catalogue;
};

struct SIdentifyCase {
    const char* text;
    int expected;
};

// Texts as identification hands them over: already lower-cased and trimmed.
const SIdentifyCase kIdentify[] = {
    {"kdv 18s 9.0", 10},    // rows 9 and 10 match; the later row wins
    {"kdv 18x", 11},        // rows 9 and 11
    {"heronminus-ng", 9},   // row 6, then row 9 through "ng"
    {"heronplus-ng", 13},   // rows 9 and 13
    {"my plus model", 13},  // "plus" alone
    {"kdv 12s ", 4},        // rows 3 and 4
    {"kdv 16m", 8},         // rows 6 and 8
    {"kdv 16s", 7},         // rows 6 and 7
    {"kdv 14 7.1", 5},
    {"kdv 22", 12},
    {"t23 main", 2},
    {"normal wren", 1},
    {"plover", 0},
    {"KDV 14", 14},  // upper case matches nothing
    {"", 14},
    {"other model", 14},
};

TEST_F(CatalogueTest, LastMatchingRowWins) {
    for (const auto& c : kIdentify) EXPECT_EQ(m_catalogue.Identify(c.text), c.expected) << c.text;
}

TEST_F(CatalogueTest, NoMatchKeepsThePreviousResult) {
    EXPECT_EQ(m_catalogue.Identify("other model", 3), 3);
    EXPECT_EQ(m_catalogue.Identify("kdv 22", 3), 12);
}

TEST_F(CatalogueTest, RowsAreInIndexOrderWithTheirFields) {
    ASSERT_EQ(m_catalogue.GetSize(), ModelCatalogue::kRowCount);
    for (int i = 0; i < m_catalogue.GetSize(); ++i) EXPECT_EQ(m_catalogue.GetAt(i).Index(), i);
    const ModelInfo& row4 = m_catalogue.GetAt(4);
    EXPECT_TRUE(row4.DisplayName().empty());
    EXPECT_EQ(row4.MainImageEntry(), "File13");
    EXPECT_EQ(row4.ResourceId(), 200);
    EXPECT_EQ(row4.HistoryValueName(), "PrevFinchPlusIPAddress");
    EXPECT_EQ(m_catalogue.GetAt(10).DisplayName(), "KDV 18S");
    EXPECT_EQ(m_catalogue.GetAt(11).ImageFileName(), "kestrel.image");
    // Rows 9 and 13 share one address history.
    EXPECT_EQ(m_catalogue.GetAt(9).HistoryValueName(), m_catalogue.GetAt(13).HistoryValueName());
}

TEST_F(CatalogueTest, MatchStringsAreStoredLowerCasedInOrder) {
    EXPECT_EQ(m_catalogue.GetAt(4).MatchStrings(),
              (std::vector<std::string>{"kdv 12s ", "kdv 12s"}));
    EXPECT_EQ(m_catalogue.GetAt(9).MatchStrings(),
              (std::vector<std::string>{"kdv 18 ", "heron-ng", "ng", "kdv 18"}));
    EXPECT_EQ(m_catalogue.GetAt(13).MatchStrings(),
              (std::vector<std::string>{"heronplus-ng", "kdv 24", "plus"}));
}

TEST(CatalogueRow, MatchIsCaseSensitiveAgainstTheText) {
    ModelInfo row(0, "X", "File5", 155, "PrevX", "x.image");
    row.AddMatchString("AbC ");
    EXPECT_EQ(row.MatchStrings().front(), "abc ");
    EXPECT_TRUE(row.Matches("model abc 1"));
    EXPECT_FALSE(row.Matches("model ABC 1"));
    EXPECT_FALSE(row.Matches("model abc"));  // the trailing blank is part of the string
}

struct SModelCase {
    int index;
    bool first;
    bool lanOnly;
    bool sectionImage;
    bool displaySettings;
};

TEST(CatalogueModelTests, EveryIndexIncludingUnknown) {
    const SModelCase cases[] = {
        {0, true, false, false, false},   {1, false, true, true, false},
        {2, false, false, true, false},   {3, false, true, true, false},
        {4, false, false, true, false},   {5, false, false, false, false},
        {6, false, true, true, false},    {7, false, false, false, false},
        {8, false, true, true, false},    {9, false, true, true, false},
        {10, false, false, false, false}, {11, false, false, false, true},
        {12, false, false, false, true},  {13, false, false, false, false},
        {14, false, false, false, false}, {-1, false, false, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ModelCatalogue::IsFirstModel(c.index), c.first) << c.index;
        EXPECT_EQ(ModelCatalogue::IsLanOnlyModel(c.index), c.lanOnly) << c.index;
        EXPECT_EQ(ModelCatalogue::IsSectionImageModel(c.index), c.sectionImage) << c.index;
        EXPECT_EQ(ModelCatalogue::IsDisplaySettingsModel(c.index), c.displaySettings) << c.index;
    }
}

}  // namespace
}  // namespace quillmarch
