// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/catalogue/PayloadLoader.h"
#include "core/catalogue/SharedImages.h"
#include "support/ScopedTempDir.h"

namespace quillmarch {
namespace {

using test::ScopedTempDir;
using test::WriteFile;

std::string AsText(const std::uint8_t* data, std::size_t size) {
    return data ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
}

class SharedImagesTest : public ::testing::Test {
protected:
    // A loader of the fleet's kind: loads go through the shared images.
    std::unique_ptr<PayloadLoader> Loader() {
        auto loader = std::make_unique<PayloadLoader>(m_dir.Str());
        loader->ShareThrough(m_images);
        return loader;
    }

    ScopedTempDir m_dir;
    std::shared_ptr<SharedImages> m_images = std::make_shared<SharedImages>();
};

TEST_F(SharedImagesTest, RunsHoldingTheSameImageShareOneCopy) {
    WriteFile(m_dir.Path() / "156.bin", "image one");
    auto first = Loader();
    auto second = Loader();
    const std::uint8_t* a = nullptr;
    const std::uint8_t* b = nullptr;
    std::size_t sizeA = 0, sizeB = 0;
    ASSERT_TRUE(first->LoadPayload(156, &a, &sizeA));
    // Changed on disk while a run holds it: the others get the copy in memory, not a second.
    WriteFile(m_dir.Path() / "156.bin", "image two");
    ASSERT_TRUE(second->LoadPayload(156, &b, &sizeB));
    EXPECT_EQ(a, b);
    EXPECT_EQ(AsText(b, sizeB), "image one");
    // Once no run holds it, it is let go: the next load reads the file again.
    first->Release();
    second->Release();
    ASSERT_TRUE(first->LoadPayload(156, &a, &sizeA));
    EXPECT_EQ(AsText(a, sizeA), "image two");
}

TEST_F(SharedImagesTest, MissingAndEmptyPayloadsAnswerFalseWithNothing) {
    WriteFile(m_dir.Path() / "17.bin", "");
    auto loader = Loader();
    for (std::uint16_t id : {16, 17}) {
        const std::uint8_t sentinel = 7;
        const std::uint8_t* data = &sentinel;
        std::size_t size = 42;
        EXPECT_FALSE(loader->LoadPayload(id, &data, &size)) << id;
        EXPECT_EQ(data, nullptr) << id;
        EXPECT_EQ(size, 0u) << id;
    }
}

TEST_F(SharedImagesTest, RunsInThreadsGetTheSameBytes) {
    WriteFile(m_dir.Path() / "158.bin", std::string(100000, 'x'));
    constexpr int kRuns = 8;
    std::vector<std::unique_ptr<PayloadLoader>> loaders;
    for (int i = 0; i < kRuns; ++i) loaders.push_back(Loader());
    std::vector<const std::uint8_t*> data(kRuns, nullptr);
    std::vector<std::size_t> sizes(kRuns, 0);
    std::vector<std::thread> threads;
    for (int i = 0; i < kRuns; ++i)
        threads.emplace_back(
            [&, i] { EXPECT_TRUE(loaders[i]->LoadPayload(158, &data[i], &sizes[i])) << i; });
    for (auto& thread : threads) thread.join();
    for (int i = 0; i < kRuns; ++i) {
        EXPECT_EQ(data[i], data[0]) << i;
        EXPECT_EQ(sizes[i], 100000u) << i;
    }
}

}  // namespace
}  // namespace quillmarch
