// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "core/device/ImageUploader.h"
#include "support/DeviceTestBench.h"

namespace quillmarch::test {
namespace {

using namespace std::chrono_literals;
using Waits = std::vector<std::chrono::milliseconds>;
using Percents = std::vector<std::int64_t>;

// The payload of the KDV 18 image (entry "File6", resource 156), read straight from the pack.
std::string PayloadBytes(int id) {
    std::ifstream in(std::string(QUILLMARCH_PAYLOAD_DIR) + "/" + std::to_string(id) + ".bin",
                     std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const std::uint8_t* Bytes(const std::string& text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

// A KDV 18 (type 9) waiting in update mode, logged on, with a progress window.
class ImageUploaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        bench.system.normalMode = false;
        // The uploader's own restart wait: a verified run leaves it to the verification.
        bench.app.Job().options.verify = false;
        window = bench.UseWindow();
        ASSERT_TRUE(bench.ConnectAndForget());
        ASSERT_EQ(bench.app.Job().target.systemType, 9);
        image = PayloadBytes(156);
        ASSERT_GT(image.size(), 10u);
    }
    ImageUploader Uploader() { return ImageUploader(bench.app); }
    std::string SizeLine() const {
        return "PutImageToSystem: Size - " + std::to_string(image.size()) + " and Name - BRAMBLE";
    }

    DeviceTestBench bench;
    std::shared_ptr<ScriptedProgressWindow> window;
    std::string image;
};

TEST(ImageCrcTable, FixedTextPerSystemType) {
    const char* const expected[] = {"0xNOTFOUND", "0x21EAF3EB", "0xE4FEA4F9", "0xFC2545B0",
                                    "0xE4FEA4F9", "0xF6554A0C", "0x36EF779E", "0xF6554A0C",
                                    "0x36EF779E", "0x36EF779E", "0xF6554A0C", "0x739B3E4E",
                                    "0x739B3E4E", "0xNOTFOUND", "0xNOTFOUND"};
    for (int type = 0; type <= 14; ++type)
        EXPECT_EQ(ImageUploader::CrcText(type), expected[type]) << type;
    EXPECT_EQ(ImageUploader::CrcText(-1), "0xNOTFOUND");
    EXPECT_EQ(ImageUploader::CrcText(15), "0xNOTFOUND");
}

struct SAnnounceCase {
    int systemType;
    const char* crcCommand;
};

class AnnounceTest : public ImageUploaderTest,
                     public ::testing::WithParamInterface<SAnnounceCase> {};

TEST_P(AnnounceTest, ThreeCommandsThenFiveSecondsThenTheUpload) {
    bench.app.Job().target.systemType = GetParam().systemType;
    std::vector<size_t> commandsAtWait, uploadsAtWait;
    bench.clock.onWait = [&](std::chrono::milliseconds) {
        commandsAtWait.push_back(bench.system.commands.size());
        uploadsAtWait.push_back(bench.system.uploads.size());
    };

    EXPECT_TRUE(Uploader().PutImageToSystem(Bytes(image), image.size(), "BRAMBLE"));
    EXPECT_EQ(bench.system.commands,
              (std::vector<std::string>{"unlock", "size BRAMBLE_" + std::to_string(image.size()),
                                        GetParam().crcCommand}));
    EXPECT_EQ(bench.clock.waits, Waits{5s});
    EXPECT_EQ(commandsAtWait, std::vector<size_t>{3});  // after the commands,
    EXPECT_EQ(uploadsAtWait, std::vector<size_t>{0});   // before the upload
    ASSERT_EQ(bench.system.uploads.size(), 1u);
    EXPECT_EQ(bench.system.uploads[0].first, "BRAMBLE");
    EXPECT_TRUE(bench.system.uploads[0].second == image);  // byte for byte
    EXPECT_EQ(bench.StepLines(), (std::vector<std::string>{SizeLine(), "Put Image Success"}));
}

INSTANTIATE_TEST_SUITE_P(Types, AnnounceTest,
                         ::testing::Values(SAnnounceCase{9, "crc 0x36EF779E"},
                                           SAnnounceCase{1, "crc 0x21EAF3EB"},
                                           SAnnounceCase{13, "crc 0xNOTFOUND"},
                                           SAnnounceCase{14, "crc 0xNOTFOUND"}));

TEST_F(ImageUploaderTest, ByteCountsArePostedToTheProgressWindow) {
    ASSERT_TRUE(Uploader().PutImageToSystem(Bytes(image), image.size(), "BRAMBLE"));
    ASSERT_FALSE(window->posted.empty());
    for (const auto& notice : window->posted) EXPECT_EQ(notice.call, ProgressCall::Bytes);
    EXPECT_EQ(window->posted.back().value, static_cast<std::int64_t>(image.size()));
}

struct STimeoutCase {
    int transferOption;
    int timeoutAfter;
};

class UploadTimeoutTest : public ImageUploaderTest,
                          public ::testing::WithParamInterface<STimeoutCase> {};

TEST_P(UploadTimeoutTest, TransferOptionBoundsTheUploadAndStays) {
    bench.app.Job().options.uploadTimeoutSeconds = GetParam().transferOption;
    ASSERT_TRUE(Uploader().PutImageToSystem(Bytes(image), image.size(), "BRAMBLE"));
    EXPECT_EQ(bench.Link().m_timeout, GetParam().timeoutAfter);
}

INSTANTIATE_TEST_SUITE_P(Options, UploadTimeoutTest,
                         ::testing::Values(STimeoutCase{0, 0}, STimeoutCase{600, 600}));

TEST_F(ImageUploaderTest, LoggedOffLinkReconnectsWithStoredValues) {
    bench.Link().Disconnect();
    EXPECT_TRUE(Uploader().PutImageToSystem(Bytes(image), image.size(), "BRAMBLE"));
    EXPECT_EQ(bench.system.logons, 1);
    EXPECT_EQ(bench.Link().m_givenHost, DeviceTestBench::kAddress);
    EXPECT_EQ(bench.system.uploads.size(), 1u);
}

TEST_F(ImageUploaderTest, ImageTaskOffSendsNothingAndSucceeds) {
    bench.app.Job().tasks.uploadImage = false;
    EXPECT_TRUE(Uploader().PutImageToSystem(Bytes(image), image.size(), "BRAMBLE"));
    EXPECT_TRUE(bench.system.commands.empty());
    EXPECT_TRUE(bench.system.uploads.empty());
    EXPECT_EQ(bench.StepLines(), std::vector<std::string>{SizeLine()});
}

TEST_F(ImageUploaderTest, MissingDataIsAFailureNotACrash) {
    EXPECT_FALSE(Uploader().PutImageToSystem(nullptr, 4096, "BRAMBLE"));
    EXPECT_TRUE(bench.system.commands.empty());
    EXPECT_TRUE(bench.system.uploads.empty());
}

TEST_F(ImageUploaderTest, MainImageUploadsAndWaitsForTheRestart) {
    EXPECT_TRUE(Uploader().PutMainImage("File6", "BRAMBLE", true));
    ASSERT_EQ(bench.system.uploads.size(), 1u);
    EXPECT_TRUE(bench.system.uploads[0].second == image);

    const auto starts = window->Sent(ProgressCall::TaskStarted);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].text, "Main Image");
    EXPECT_EQ(starts[0].totalBytes, static_cast<std::int64_t>(image.size()));
    EXPECT_EQ(starts[1].text, "Waiting for reboot");
    EXPECT_EQ(starts[1].totalBytes, 0);
    EXPECT_EQ(window->Sent(ProgressCall::TaskDone).size(), 2u);

    // The fake restarts on the image, is seen away three times and answers at the fourth look.
    Waits expected{5s};
    expected.insert(expected.end(), 4, 250ms);
    EXPECT_EQ(bench.clock.waits, expected);
    EXPECT_EQ(bench.StepLines(),
              (std::vector<std::string>{
                  SizeLine(), "Put Image Success",
                  "Waited 1.0 s for the restart after the image (limit 900 s)", "Updating done"}));
}

TEST_F(ImageUploaderTest, AVerifiedRunLeavesTheRestartWaitToTheVerification) {
    bench.app.Job().options.verify = true;
    EXPECT_TRUE(Uploader().PutMainImage("File6", "BRAMBLE", true));
    EXPECT_EQ(bench.clock.waits, Waits{5s});
    EXPECT_EQ(bench.system.probes, 0);
}

TEST_F(ImageUploaderTest, MainImageWithoutWaitEndsAfterTheUpload) {
    EXPECT_TRUE(Uploader().PutMainImage("File6", "BRAMBLE", false));
    EXPECT_EQ(bench.clock.waits, Waits{5s});
    EXPECT_EQ(window->Sent(ProgressCall::TaskStarted).size(), 1u);
}

struct SRefusedCase {
    const char* name;
    bool uploadImage;
    int systemType;
    const char* imageKey;
    int cancelFromSend;
    bool taskStarted;
    std::vector<std::string> lines;
};

class MainImageRefusedTest : public ImageUploaderTest,
                             public ::testing::WithParamInterface<SRefusedCase> {};

TEST_P(MainImageRefusedTest, FalseWithoutTouchingTheSystem) {
    const SRefusedCase& c = GetParam();
    bench.app.Job().tasks.uploadImage = c.uploadImage;
    bench.app.Job().target.systemType = c.systemType;
    window->cancelFromSend = c.cancelFromSend;

    EXPECT_FALSE(Uploader().PutMainImage(c.imageKey, "BRAMBLE", true));
    EXPECT_TRUE(bench.system.commands.empty());
    EXPECT_TRUE(bench.system.uploads.empty());
    EXPECT_TRUE(bench.clock.waits.empty());
    EXPECT_EQ(!window->Sent(ProgressCall::TaskStarted).empty(), c.taskStarted);
    EXPECT_EQ(bench.StepLines(), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MainImageRefusedTest,
    ::testing::Values(
        SRefusedCase{"TypeWithoutImage",
                     true,
                     0,
                     "File9",
                     0,
                     false,
                     {"Can not update system", "Updating done"}},
        SRefusedCase{
            "UnknownType", true, 14, "File6", 0, false, {"Can not update system", "Updating done"}},
        SRefusedCase{
            "ImageTaskOff", false, 9, "File6", 0, false, {"Not update the image", "Updating done"}},
        SRefusedCase{"ImageNotCarried", true, 9, "File9", 0, true, {"Could not get File9"}},
        SRefusedCase{"StoppedAtTaskStart",
                     true,
                     9,
                     "File6",
                     1,
                     true,
                     {"Got IDCANCEL from Progress Dlg", "Could not get File6"}}),
    [](const ::testing::TestParamInfo<SRefusedCase>& info) { return info.param.name; });

TEST_F(ImageUploaderTest, FailedUploadIsReportedWithTheKey) {
    bench.system.failingUploads = {"BRAMBLE"};
    EXPECT_FALSE(Uploader().PutMainImage("File6", "BRAMBLE", true));
    EXPECT_EQ(bench.clock.waits, Waits{5s});  // no reboot wait after a failure
    EXPECT_EQ(bench.StepLines(), (std::vector<std::string>{SizeLine(), "Put Image Failure",
                                                           "Could not put image to File6"}));
}

TEST_F(ImageUploaderTest, FailedReconnectionIsReportedWithTheKey) {
    bench.Link().Disconnect();
    bench.system.logonCodes = {10061};
    EXPECT_FALSE(Uploader().PutMainImage("File6", "BRAMBLE", true));
    EXPECT_TRUE(bench.system.commands.empty());
    EXPECT_EQ(bench.StepLines(),
              (std::vector<std::string>{SizeLine(), "Could not put image to File6"}));
}

TEST_F(ImageUploaderTest, StopDuringTheRebootWaitEndsItAtTheNextStep) {
    // Main image start, done, wait start, then the third percentage is answered with Cancel.
    bench.system.probesAwayAfterRestart = -1;  // the wait is still running at the stop
    window->cancelFromSend = 6;
    EXPECT_FALSE(Uploader().PutMainImage("File6", "BRAMBLE", true));
    Waits expected{5s};
    expected.insert(expected.end(), 3 * 4, 250ms);
    EXPECT_EQ(bench.clock.waits, expected);
    EXPECT_EQ(window->Percentages(), (Percents{0, 0, 1}));
    EXPECT_EQ(bench.StepLines().back(), "Updating done");
}

class RebootWaitTest : public ::testing::Test {
protected:
    void SetUp() override { window = bench.UseWindow(); }
    bool Wait(const std::string& title, unsigned ms, bool skip) {
        return ImageUploader(bench.app).WaitForReboot(title, ms, skip);
    }
    DeviceTestBench bench;
    std::shared_ptr<ScriptedProgressWindow> window;
};

TEST_F(RebootWaitTest, ShortOrUntitledWaitShowsNothing) {
    EXPECT_TRUE(Wait("Waiting for reboot", 1000, true));
    EXPECT_TRUE(Wait("", 300000, true));
    EXPECT_TRUE(window->sent.empty());
    EXPECT_TRUE(bench.clock.waits.empty());
}

TEST_F(RebootWaitTest, PartialSecondsAreDropped) {
    EXPECT_TRUE(Wait("Waiting", 2500, true));
    EXPECT_EQ(bench.clock.waits, Waits(2 * 4, 250ms));  // never seen away: paced, looking
    EXPECT_EQ(window->SentCalls(),
              (std::vector<ProgressCall>{ProgressCall::TaskStarted, ProgressCall::Percent,
                                         ProgressCall::Percent, ProgressCall::Percent,
                                         ProgressCall::TaskDone}));
    EXPECT_EQ(window->Percentages(), (Percents{50, 100, 100}));
    EXPECT_EQ(window->sent[0].text, "Waiting");
    EXPECT_EQ(window->sent[0].totalBytes, 0);
}

TEST_F(RebootWaitTest, SkipShortensTheWaitButTheDisplayCountsThroughAll) {
    EXPECT_TRUE(Wait("Waiting", 300000, true));
    EXPECT_EQ(bench.clock.waits, Waits(282 * 4, 250ms));
    const Percents shown = window->Percentages();
    ASSERT_EQ(shown.size(), 301u);  // one per step, then the final 100
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_EQ(shown.front(), 0);
    EXPECT_EQ(shown[299], 100);
    EXPECT_EQ(shown[300], 100);
    EXPECT_EQ(std::set<std::int64_t>(shown.begin(), shown.end()).size(), 101u);  // 0..100
}

TEST_F(RebootWaitTest, WithoutSkipEveryStepPauses) {
    EXPECT_TRUE(Wait("Waiting", 300000, false));
    EXPECT_EQ(bench.clock.waits, Waits(300 * 4, 250ms));
}

// A system seen away: the wait ends when it answers again, even after the paced 282 s, and fails
// at the limit when it never does.
struct SAwayCase {
    const char* name;
    int looksAway;  // -1: never back
    bool back;
    int seconds;
};

class ObservedRebootWaitTest : public RebootWaitTest,
                               public ::testing::WithParamInterface<SAwayCase> {};

TEST_P(ObservedRebootWaitTest, EndsWhenTheSystemAnswersAgain) {
    const SAwayCase& c = GetParam();
    bench.system.probeAwayLeft = c.looksAway;
    EXPECT_EQ(Wait("Waiting", 300000, true), c.back);
    EXPECT_EQ(bench.clock.waits, Waits(c.seconds * 4, 250ms));
    EXPECT_EQ(window->Percentages().back(), 100);
    EXPECT_EQ(bench.Logged("The system did not answer again within 900 s after the image"),
              !c.back);
    EXPECT_TRUE(bench.Logged("Waited " + std::to_string(c.seconds) +
                             ".0 s for the restart after the image (limit 900 s)"));
}

INSTANTIATE_TEST_SUITE_P(Cases, ObservedRebootWaitTest,
                         ::testing::Values(SAwayCase{"BackSoon", 3, true, 1},
                                           // away through the paced 282 s, back at 400 s
                                           SAwayCase{"SlowerThanThePacedWait", 1599, true, 400},
                                           SAwayCase{"NeverBack", -1, false, 900}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RebootWaitTest, CancelEndsTheWaitAtTheNextStep) {
    window->cancelFromSend = 4;  // start, 1 %, 2 %, then the third percentage
    EXPECT_FALSE(Wait("Waiting", 100000, false));
    EXPECT_EQ(bench.clock.waits, Waits(3 * 4, 250ms));
    EXPECT_EQ(window->Percentages(), (Percents{1, 2, 3}));
    EXPECT_TRUE(window->Sent(ProgressCall::TaskDone).empty());
}

}  // namespace
}  // namespace quillmarch::test
