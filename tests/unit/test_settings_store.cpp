// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "core/job/RunContext.h"
#include "core/prefs/SettingsStore.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"

namespace quillmarch::test {
namespace {

// Values in a map; can play a store that cannot be opened, and records every access.
class MemoryBackend : public ISettingsBackend {
public:
    bool Read(const std::string& name, std::string& value) override {
        accesses.push_back("read " + name);
        if (unavailable) return false;
        const auto it = values.find(name);
        if (it == values.end()) return false;
        value = it->second;
        return true;
    }
    void Write(const std::string& name, const std::string& value) override {
        accesses.push_back("write " + name);
        if (!unavailable) values[name] = value;
    }
    std::map<std::string, std::string> values;
    std::vector<std::string> accesses;
    bool unavailable = false;
};

class SettingsStoreTest : public ::testing::Test {
protected:
    MemoryBackend m_backend;
    SettingsStore m_store{m_backend};
    FakeClock m_clock;
    RecordingMessageBox m_box;
    RunContext m_app{m_clock, m_box};
};

TEST_F(SettingsStoreTest, FirstStartTakesTheDefaultsInTheOrderUploadSoftwareThenLanguage) {
    m_app.Job().tasks.updateSoftware = false;
    m_app.Job().options.language = 7;
    m_store.LoadSettings(m_app);
    EXPECT_TRUE(m_app.Job().tasks.updateSoftware);
    EXPECT_EQ(m_app.Job().options.language, 0);
    EXPECT_EQ(m_backend.accesses,
              (std::vector<std::string>{"read UploadSoftware", "read Language"}));
    EXPECT_TRUE(m_backend.values.empty()) << "loading never writes";
}

TEST_F(SettingsStoreTest, UploadSoftwareCountsOnlyYesInAnyCase) {
    const struct {
        const char* stored;
        bool expected;
    } cases[] = {{"yes", true}, {"YES", true},   {"yEs", true}, {"no", false},
                 {"", false},   {"yes ", false}, {"y", false},  {"true", false}};
    for (const auto& c : cases) {
        m_backend.values["UploadSoftware"] = c.stored;
        m_store.LoadSettings(m_app);
        EXPECT_EQ(m_app.Job().tasks.updateSoftware, c.expected) << '"' << c.stored << '"';
    }
}

TEST_F(SettingsStoreTest, LanguageIsTheLeadingDecimalNumber) {
    const struct {
        const char* stored;
        int expected;
    } cases[] = {{"2", 2}, {"abc", 0}, {"", 0}, {" 1x", 1}, {"-1", -1}, {"99999999999", INT_MAX}};
    for (const auto& c : cases) {
        m_backend.values["Language"] = c.stored;
        m_store.LoadSettings(m_app);
        EXPECT_EQ(m_app.Job().options.language, c.expected) << '"' << c.stored << '"';
    }
    m_backend.values["Language"] = "2";
    m_store.LoadSettings(m_app);
    EXPECT_EQ(m_app.LoadUiString(2, "fallback"), "g_Quillmarch") << "the third table is in use";
}

TEST_F(SettingsStoreTest, ReadEmptiesTheValueAndFallsBackToTheDefault) {
    std::string value = "left over";
    EXPECT_FALSE(m_store.AccessSetting(false, "PrevWrenIPAddress", value));
    EXPECT_EQ(value, "");
    value = "left over";
    EXPECT_FALSE(m_store.AccessSetting(false, "PrevWrenIPAddress", value, "dflt"));
    EXPECT_EQ(value, "dflt");

    m_backend.values["PrevWrenIPAddress"] = "10.0.0.2,10.0.0.1";
    EXPECT_TRUE(m_store.AccessSetting(false, "PrevWrenIPAddress", value, "dflt"));
    EXPECT_EQ(value, "10.0.0.2,10.0.0.1");
    m_backend.values["PrevWrenIPAddress"] = "";
    EXPECT_TRUE(m_store.AccessSetting(false, "PrevWrenIPAddress", value, "dflt"))
        << "a stored empty text is a value, not an absence";
    EXPECT_EQ(value, "");
}

TEST_F(SettingsStoreTest, WritesAreCutTo1023AndReadBackWhole) {
    std::string history(1500, 'x');
    EXPECT_FALSE(m_store.AccessSetting(true, "PrevT23IPAddress", history));
    EXPECT_EQ(history.size(), 1500u) << "the caller's text is not changed";
    ASSERT_EQ(m_backend.values["PrevT23IPAddress"].size(), 1023u);

    std::string value;
    EXPECT_TRUE(m_store.AccessSetting(false, "PrevT23IPAddress", value));
    EXPECT_EQ(value, std::string(1023, 'x'));

    std::string shortText = "10.1.2.3";
    EXPECT_FALSE(m_store.AccessSetting(true, "PrevT23IPAddress", shortText));
    EXPECT_EQ(m_backend.values["PrevT23IPAddress"], "10.1.2.3");
}

TEST_F(SettingsStoreTest, AStoredValueOverTheLimitReadsAsAbsent) {
    m_backend.values["UploadSoftware"] = "yes" + std::string(1021, ' ');  // 1024 bytes
    std::string value;
    EXPECT_FALSE(m_store.AccessSetting(false, "UploadSoftware", value, "no"));
    EXPECT_EQ(value, "no");
}

TEST_F(SettingsStoreTest, CutNeverSplitsAMultiByteCharacter) {
    const std::string text = std::string(1022, 'a') + "\xC3\xA9" + "tail";  // 'e' acute
    EXPECT_EQ(SettingsStore::Cut(text), std::string(1022, 'a'));
    EXPECT_EQ(SettingsStore::Cut(std::string(1021, 'a') + "\xC3\xA9").size(), 1023u);
}

TEST_F(SettingsStoreTest, UnavailableStoreGivesDefaultsAndKeepsNothing) {
    m_backend.values["UploadSoftware"] = "no";
    m_backend.unavailable = true;
    m_app.Job().tasks.updateSoftware = false;
    m_store.LoadSettings(m_app);
    EXPECT_TRUE(m_app.Job().tasks.updateSoftware);

    std::string text = "no";
    m_store.AccessSetting(true, "UploadSoftware", text);
    m_backend.unavailable = false;
    EXPECT_EQ(m_backend.values["UploadSoftware"], "no") << "the failed write stored nothing";
}

TEST_F(SettingsStoreTest, NothingIsCachedBetweenAccesses) {
    std::string value;
    m_backend.values["Language"] = "1";
    m_store.AccessSetting(false, "Language", value);
    m_backend.values["Language"] = "2";
    m_store.AccessSetting(false, "Language", value);
    EXPECT_EQ(value, "2");
}

}  // namespace
}  // namespace quillmarch::test
