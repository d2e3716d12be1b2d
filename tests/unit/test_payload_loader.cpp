// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/catalogue/PayloadLoader.h"
#include "core/pack/ImagePack.h"
#include "support/ScopedTempDir.h"

namespace quillmarch {
namespace {

using test::ScopedTempDir;
using test::WriteFile;

std::string AsText(const std::uint8_t* data, std::size_t size) {
    return data ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
}

class PayloadLoaderTest : public ::testing::Test {
protected:
    PayloadLoaderTest() : m_loader(m_dir.Str()) {}
    ScopedTempDir m_dir;
    PayloadLoader m_loader;
};

TEST_F(PayloadLoaderTest, IdZeroAnswersFalseAndLeavesOutputs) {
    WriteFile(m_dir.Path() / "0.bin", "would be found");
    const std::uint8_t sentinel = 7;
    const std::uint8_t* data = &sentinel;
    std::size_t size = 42;
    EXPECT_FALSE(m_loader.LoadPayload(0, &data, &size));
    EXPECT_EQ(data, &sentinel);
    EXPECT_EQ(size, 42u);
}

TEST_F(PayloadLoaderTest, MissingAndEmptyPayloadsAnswerFalseWithNothing) {
    WriteFile(m_dir.Path() / "17.bin", "");
    std::filesystem::create_directory(m_dir.Path() / "18.bin");  // a folder is no payload
    for (std::uint16_t id : {16, 17, 18, 157, 159}) {
        const std::uint8_t sentinel = 7;
        const std::uint8_t* data = &sentinel;
        std::size_t size = 42;
        EXPECT_FALSE(m_loader.LoadPayload(id, &data, &size)) << id;
        EXPECT_EQ(data, nullptr) << id;
        EXPECT_EQ(size, 0u) << id;
    }
}

TEST_F(PayloadLoaderTest, EachLoadHandsOutItsOwnBytes) {
    WriteFile(m_dir.Path() / "1.bin", "first payload");
    WriteFile(m_dir.Path() / "2.bin", std::string("sec\0nd", 6));
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    ASSERT_TRUE(m_loader.LoadPayload(1, &data, &size));
    EXPECT_EQ(AsText(data, size), "first payload");
    ASSERT_TRUE(m_loader.LoadPayload(2, &data, &size));
    EXPECT_EQ(AsText(data, size), std::string("sec\0nd", 6));

    // A payload changed on disk is read afresh, not served from what was held.
    WriteFile(m_dir.Path() / "1.bin", "changed");
    ASSERT_TRUE(m_loader.LoadPayload(1, &data, &size));
    EXPECT_EQ(AsText(data, size), "changed");
    EXPECT_TRUE(m_loader.LoadPayload(1, nullptr, nullptr));  // outputs are optional
}

TEST_F(PayloadLoaderTest, FolderCanBeMovedBetweenLoads) {
    ScopedTempDir other;
    WriteFile(other.Path() / "5.bin", "elsewhere");
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    EXPECT_FALSE(m_loader.LoadPayload(5, &data, &size));
    m_loader.SetFolder(other.Str());
    ASSERT_TRUE(m_loader.LoadPayload(5, &data, &size));
    EXPECT_EQ(AsText(data, size), "elsewhere");
}

#ifndef _WIN32
TEST(PayloadLoaderFolder, EnvironmentNamesTheFolder) {
    const char* previous = std::getenv("QUILLMARCH_PAYLOADS");
    const std::string saved = previous ? previous : "";
    ::setenv("QUILLMARCH_PAYLOADS", "/some/payloads", 1);
    EXPECT_EQ(PayloadLoader::DefaultFolder(), "/some/payloads");
    ::setenv("QUILLMARCH_PAYLOADS", "", 1);
    // An empty value does not count: the usual places are looked in, the operator's among them.
    std::vector<std::string> looked;
    PayloadLoader::DefaultFolder(&looked);
    ASSERT_FALSE(looked.empty());
    EXPECT_NE(looked.front(), "");
    EXPECT_EQ(looked.back(), ImagePack::OperatorFolder());
    if (previous) {
        ::setenv("QUILLMARCH_PAYLOADS", saved.c_str(), 1);
    } else {
        ::unsetenv("QUILLMARCH_PAYLOADS");
    }
}
#endif

// The images of the sample pack: gzip member header with the file-name flag and "BRAMBLE".
TEST(PayloadSamplePack, ImagesAreGzipNamedBramble) {
    PayloadLoader loader(QUILLMARCH_PAYLOAD_DIR);
    for (std::uint16_t id : {155, 156, 158, 164, 185, 200, 202}) {
        const std::uint8_t* data = nullptr;
        std::size_t size = 0;
        ASSERT_TRUE(loader.LoadPayload(id, &data, &size)) << id;
        ASSERT_GT(size, 18u) << id;
        EXPECT_EQ(data[0], 0x1f) << id;
        EXPECT_EQ(data[1], 0x8b) << id;
        EXPECT_EQ(data[2], 0x08) << id;  // deflate
        const std::uint8_t flags = data[3];
        EXPECT_NE(flags & 0x08, 0) << id;  // FNAME
        std::size_t name = 10;
        if (flags & 0x04) name += 2 + (data[10] | (data[11] << 8));  // skip FEXTRA
        ASSERT_LT(name + 8, size) << id;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data + name)), "BRAMBLE") << id;
    }
}

TEST(PayloadSamplePack, DummyAndHelpPresentAbsentImagesNot) {
    PayloadLoader loader(QUILLMARCH_PAYLOAD_DIR);
    std::size_t size = 0;
    const std::uint8_t* data = nullptr;
    EXPECT_TRUE(loader.LoadPayload(198, &data, &size));
    EXPECT_TRUE(loader.LoadPayload(199, &data, &size));
    for (std::uint16_t id : {150, 151, 152, 157, 159}) {
        EXPECT_FALSE(loader.LoadPayload(id, &data, &size)) << id;
        EXPECT_EQ(size, 0u) << id;
    }
}

}  // namespace
}  // namespace quillmarch
