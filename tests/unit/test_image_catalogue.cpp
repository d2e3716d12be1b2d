// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/catalogue/ImageCatalogue.h"
#include "core/catalogue/ModelCatalogue.h"
#include "core/catalogue/PayloadLoader.h"
#include "core/job/RunContext.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"

namespace quillmarch {
namespace {

using test::ScopedTempDir;
using test::WriteFile;

const char* const kVersion = "Release_ru 9.0.6.2-103 05-September-2011 02:10";
const char* const kDate = "05Sep2011 02:10";

struct SEntryCase {
    const char* section;
    const char* entry;
    const char* answer;
    std::uint16_t resourceId;
};

const SEntryCase kEntries[] = {
    {"MainSoftware", "Version", kVersion, 0},
    {"MainSoftware", "V", kVersion, 0},
    {"Other", "Version", "20", 0},
    {"mainsoftware", "Version", "20", 0},  // the section compares with case
    {"Other", "Date", kDate, 0},
    {"MainSoftware", "Dx", kDate, 0},
    {"MainSoftware", "ISDN", "ISDN Version -?-", 0},
    {"Other", "Is anything", "ISDN Version -?-", 0},
    {"MainSoftware", "version", "-", 0},  // first letters compare with case
    {"MainSoftware", "file5", "-", 0},
    {"MainSoftware", "Fil", "-", 0},
    {"MainSoftware", "F", "-", 0},
    {"MainSoftware", "File", "output.mi", 150},
    {"MainSoftware", "File1", "mabel_ob.image", 151},
    {"MainSoftware", "File2", "olaf_ob.image", 152},
    {"MainSoftware", "File3", "-", 0},
    {"MainSoftware", "File5", "wren.image", 155},
    {"MainSoftware", "File6", "kdv18.image", 156},
    {"MainSoftware", "File7", "kdv18.image", 157},
    {"MainSoftware", "File8", "finch.image", 158},
    {"MainSoftware", "File9", "plover.image", 159},
    {"MainSoftware", "File10", "kestrel.image", 164},  // rows 11 and 12 share it; 11 comes first
    {"MainSoftware", "File11", "-", 0},
    {"MainSoftware", "File12", "egret.image", 185},
    {"MainSoftware", "File13", "finchplus.image", 202},  // row 2 before row 4 (200)
    {"Other", "File13", "finchplus.image", 202},
    {"MainSoftware", "File13 ", "-", 0},
    {"", "Version", "", 0},
    {"", "File5", "", 0},
    {"MainSoftware", "", "", 0},
};

class ImageCatalogueTest : public ::testing::Test {
protected:
    ImageCatalogueTest() : m_payloads(m_dir.Str()), m_images(m_catalogue, m_payloads) {
        m_catalogue.Build();
    }

    ScopedTempDir m_dir;
    ModelCatalogue m_catalogue;
    PayloadLoader m_payloads;
    ImageCatalogue m_images;
};

TEST_F(ImageCatalogueTest, GetEntryAnswersAndResourceIds) {
    for (const auto& c : kEntries) {
        std::uint16_t id = 999;
        EXPECT_EQ(m_images.GetEntry(c.section, c.entry, &id), c.answer)
            << "[" << c.section << "] " << c.entry;
        EXPECT_EQ(id, c.resourceId) << "[" << c.section << "] " << c.entry;
    }
    EXPECT_EQ(m_images.GetEntry("MainSoftware", "Version", nullptr), kVersion);
}

TEST_F(ImageCatalogueTest, LoadImageNeedsSectionPayloadAndTenBytes) {
    WriteFile(m_dir.Path() / "155.bin", "12345");       // too small: absent
    WriteFile(m_dir.Path() / "156.bin", "0123456789");  // exactly ten: present
    WriteFile(m_dir.Path() / "202.bin", std::string(64, 'z'));

    const std::uint8_t sentinel = 0;
    const std::uint8_t* data = &sentinel;
    std::size_t size = 7;
    EXPECT_FALSE(m_images.LoadImage("MainSoftware", "File5", &data, &size));
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);

    EXPECT_TRUE(m_images.LoadImage("MainSoftware", "File6", &data, &size));
    ASSERT_EQ(size, 10u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), "0123456789");

    EXPECT_TRUE(m_images.LoadImage("MainSoftware", "File13", &data, &size));
    EXPECT_EQ(size, 64u);
    EXPECT_TRUE(m_images.LoadImage("Other", "File13"));  // any section that is not empty

    EXPECT_FALSE(m_images.LoadImage("", "File13", &data, &size));
    EXPECT_FALSE(m_images.LoadImage("MainSoftware", "File8", &data, &size));  // no 158.bin
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(m_images.LoadImage("MainSoftware", "Version", &data, &size));  // id 0
    EXPECT_EQ(size, 0u);
}

TEST(ImageCatalogueSamplePack, PresentIdsLoadAndMissingOnesDoNot) {
    ModelCatalogue catalogue;
    catalogue.Build();
    PayloadLoader payloads(QUILLMARCH_PAYLOAD_DIR);
    ImageCatalogue images(catalogue, payloads);
    for (const char* entry : {"File5", "File6", "File8", "File10", "File12", "File13"}) {
        const std::uint8_t* data = nullptr;
        std::size_t size = 0;
        EXPECT_TRUE(images.LoadImage("MainSoftware", entry, &data, &size)) << entry;
        EXPECT_GT(size, 10u) << entry;
        ASSERT_NE(data, nullptr) << entry;
        EXPECT_EQ(data[0], 0x1f) << entry;
    }
    EXPECT_FALSE(images.LoadImage("MainSoftware", "File9"));
    EXPECT_FALSE(images.LoadImage("MainSoftware", "File7"));
    EXPECT_FALSE(images.LoadImage("", "File5"));
}

TEST(ImageCatalogueSamplePack, PresenceFlagsForEveryRow) {
    test::FakeClock clock;
    test::RecordingMessageBox box;
    RunContext app(clock, box);
    app.m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
    app.BuildCatalogue();
    app.RecordImagePresence();
    for (int row = 0; row < ModelCatalogue::kRowCount; ++row) {
        const bool expected = row != 0 && row != 13;
        EXPECT_EQ(app.m_imagePresent[static_cast<size_t>(row)], expected) << row;
        EXPECT_EQ(app.ImagePresent(row), expected) << row;
    }
    EXPECT_FALSE(app.ImagePresent(14));
    EXPECT_FALSE(app.ImagePresent(-1));
    EXPECT_EQ(app.FirstRowWithImage(), 1);
}

TEST(ImageCatalogueSamplePack, NoPayloadsNoFlags) {
    ScopedTempDir empty;
    test::FakeClock clock;
    test::RecordingMessageBox box;
    RunContext app(clock, box);
    app.m_payloads.SetFolder(empty.Str());
    app.BuildCatalogue();
    app.RecordImagePresence();
    for (bool present : app.m_imagePresent) EXPECT_FALSE(present);
    EXPECT_EQ(app.FirstRowWithImage(), -1);
}

}  // namespace
}  // namespace quillmarch
