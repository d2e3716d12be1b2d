// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The report's failure code comes from the engine, where the failure happens: each failure is
// driven through a run against the fake system, in English and in a further language whose
// log texts differ, and the report names the same code.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>
#include <string>
#include <tuple>

#include "core/platform/FileLock.h"
#include "core/run/FailureCode.h"
#include "core/run/RunEndingWatch.h"
#include "core/run/RunReport.h"
#include "core/run/UpdateRun.h"
#include "support/FakeAppFixture.h"

namespace quillmarch::test {
namespace {

namespace fs = std::filesystem;

// What a case may reach to set its fault up.
struct FailureScene {
    RunContext& app;
    FakeSystem& system;
    fs::path dir;
    platform::FileLock& lock;
    ScriptedProgressWindow& window;
    bool showWindow = false;
};

struct FailureCase {
    const char* name;
    FailureCode code;
    void (*setUp)(FailureScene&);
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

// A flash erase with files to keep across it.
void EraseWithFiles(FailureScene& s) {
    s.app.Job().tasks.updateSoftware = false;
    s.app.Job().tasks.eraseFlash = true;
    s.app.Job().retain.sampleSites = false;
    s.system.files["friends.abk"] = "<entry>friend</entry>\n";
    s.system.files["speeds.choice"] = "384";
    s.system.files["sysname.dat"] = "Room";
}

// No task but the settings: the run ends with the restart that applies them.
void SettingsOnly(FailureScene& s) {
    s.app.Job().tasks.updateSoftware = false;
    s.app.Job().tasks.changeSettings = true;
    s.app.Job().lan.changeLan = true;
    s.app.Job().lan.dhcpWanted = true;
    s.app.Job().lan.dhcpCurrent = false;
}

// The pack in `folder` holds the manifest and the KDV 18's image, one byte of it changed.
void DamagedPack(FailureScene& s) {
    const fs::path pack = s.dir / "damaged-pack";
    fs::create_directories(pack);
    const fs::path samples(QUILLMARCH_PAYLOAD_DIR);
    fs::copy_file(samples / "manifest.json", pack / "manifest.json");
    const std::string file =
        s.app.m_imageCatalogue.PayloadFile(s.app.Catalogue().GetAt(9).MainImageEntry());
    fs::copy_file(samples / file, pack / file);
    std::fstream image(pack / file, std::ios::in | std::ios::out | std::ios::binary);
    image.seekp(100);
    image.put('\x5a');
    s.app.Job().pack.folder = pack.string();
    s.app.OpenImagePack();
}

const FailureCase kCases[] = {
    {"AnotherRunHoldsTheSystem", FailureCode::kSystemBusy,
     [](FailureScene& s) {
         std::string error;
         fs::create_directories(s.dir / "locks");
         static_cast<void>(s.lock.TryLock((s.dir / "locks" / "127_0_0_1_21.lock").string(), error));
     }},
    {"NothingListens", FailureCode::kConnectFailed,
     [](FailureScene& s) { s.system.logonCodes = {10061}; }},
    {"PasswordTurnedDown", FailureCode::kLogonRefused,
     [](FailureScene& s) { s.system.logonCodes = {301}; }},
    {"ModelNotKnown", FailureCode::kUnknownModel,
     [](FailureScene& s) {
         s.system.modelText = "unknown box";
         s.system.files["model.dat"] = "unknown box";
     }},
    {"NoImageForTheModel", FailureCode::kNoImage,
     [](FailureScene& s) { s.app.m_imagePresent[9] = false; }},
    {"NoPackFound", FailureCode::kNoImage,
     [](FailureScene& s) {
         s.app.Job().pack.folder = (s.dir / "no-such-pack").string();
         s.app.OpenImagePack();
     }},
    {"ImageDamaged", FailureCode::kImageDamaged, DamagedPack},
    {"PackNotSigned", FailureCode::kPackRefused,
     [](FailureScene& s) {
         s.app.Job().pack.folder = QUILLMARCH_PAYLOAD_DIR;
         s.app.Job().pack.requireSigned = true;
         s.app.OpenImagePack();
     }},
    {"RestartsInNormalMode", FailureCode::kUpdateModeFailed,
     [](FailureScene& s) { s.system.swusIgnored = true; }},
    {"ImageRefused", FailureCode::kUploadFailed,
     [](FailureScene& s) { s.system.failingUploads = {"BRAMBLE"}; }},
    {"BackupIncomplete", FailureCode::kBackupFailed,
     [](FailureScene& s) {
         EraseWithFiles(s);
         s.system.failingDownloads = {"friends.abk"};
     }},
    {"RestoreIncomplete", FailureCode::kRestoreFailed,
     [](FailureScene& s) {
         EraseWithFiles(s);
         s.system.droppedUploads = {{"friends.abk", 5}};
     }},
    {"OldVersionAfterTheImage", FailureCode::kVerificationFailed,
     [](FailureScene& s) { s.system.files["systemsoftwareversion.dat"] = "Release_ru 9.0.5"; }},
    {"RetainRecordRefused", FailureCode::kRetainRecordRefused,
     [](FailureScene& s) { s.system.failingUploads = {"BackupFiles.swt"}; }},
    {"SettingsFileRefused", FailureCode::kSettingsRefused,
     [](FailureScene& s) {
         SettingsOnly(s);
         s.system.failingUploads = {"quillmarchprovision.dat"};
     }},
    {"BootRefused", FailureCode::kRestartRefused,
     [](FailureScene& s) {
         s.app.Job().tasks.updateSoftware = false;
         s.system.failingCommands = {"BOOT"};
     }},
    {"CancelledInTheWindow", FailureCode::kCancelled,
     [](FailureScene& s) {
         s.showWindow = true;
         s.window.cancelFromSend = 7;  // the update-mode pause's first report
     }},
    {"StoppedBeforeTheStart", FailureCode::kInterrupted,
     [](FailureScene& s) { s.app.Interrupt().Request(2); }},
    {"EraseWithUpdate", FailureCode::kFailed,
     [](FailureScene& s) { s.app.Job().tasks.eraseFlash = true; }},
};

class FailureCodeTest : public FakeAppFixture,
                        public ::testing::WithParamInterface<std::tuple<FailureCase, int>> {
protected:
    platform::FileLock m_lock;
};

TEST_P(FailureCodeTest, TheReportNamesTheFailureTheEngineMet) {
    const auto& [c, language] = GetParam();
    m_app->Job().options.language = language;
    FailureScene scene{*m_app, m_system, m_dir, m_lock, *m_window};
    c.setUp(scene);
    if (scene.showWindow) UseWindow();
    StartLog();
    RunReport report("update", "1");
    m_app->SetRunObserver(&report);
    bool succeeded = true;
    std::string ending;
    {
        // Between the engine and the report, as in a run with a progress window.
        RunEndingWatch watch(*m_app);
        succeeded = UpdateRun(*m_app).RunUpdate(0);
        ending = watch.Facts(false).failure;
    }
    m_app->SetRunObserver(nullptr);
    m_lock.Unlock();
    EXPECT_FALSE(succeeded);
    EXPECT_EQ(report.FailureCode(), FailureCodeName(c.code)) << report.FailureReason();
    EXPECT_FALSE(report.FailureReason().empty());
    // The closing sentence names the same first failure.
    EXPECT_EQ(ending, report.FailureReason());
}

INSTANTIATE_TEST_SUITE_P(Failures, FailureCodeTest,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Values(0, 1)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == 0 ? "" : "_FurtherLanguage");
                         });

// The report's code words are the schema's, and no two codes share one.
TEST(FailureCodeNames, AreTheSchemasAndDistinct) {
    std::ifstream in(fs::path(QUILLMARCH_SOURCE_DIR) / "docs" / "report.schema.json");
    ASSERT_TRUE(in);
    const auto schema = nlohmann::json::parse(in);
    std::set<std::string> allowed;
    const auto find = [&](const nlohmann::json& node, const auto& self) -> void {
        if (node.is_object()) {
            if (node.contains("properties") && node["properties"].contains("code") &&
                node["properties"].contains("reason") &&
                node["properties"]["code"].contains("enum"))
                for (const auto& word : node["properties"]["code"]["enum"])
                    allowed.insert(word.get<std::string>());
            for (const auto& item : node.items()) self(item.value(), self);
        } else if (node.is_array()) {
            for (const auto& item : node) self(item, self);
        }
    };
    find(schema, find);
    ASSERT_FALSE(allowed.empty());
    EXPECT_TRUE(FailureCodeName(FailureCode::kNone).empty());
    std::set<std::string> seen;
    for (int i = static_cast<int>(FailureCode::kNone) + 1;
         i <= static_cast<int>(FailureCode::kFailed); ++i) {
        const std::string word(FailureCodeName(static_cast<FailureCode>(i)));
        EXPECT_TRUE(allowed.count(word)) << "code " << i << " \"" << word << "\"";
        EXPECT_TRUE(seen.insert(word).second) << word;
    }
    EXPECT_EQ(seen, allowed);
}

}  // namespace
}  // namespace quillmarch::test
