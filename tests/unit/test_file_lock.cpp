// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/FileLock.h"
#include "support/ScopedTempDir.h"

namespace quillmarch {
namespace {

using platform::FileLock;
using test::ScopedTempDir;

TEST(FileLock, SecondHolderIsRefusedUntilTheFirstLetsGo) {
    ScopedTempDir dir;
    const std::string path = dir.Str("system.lock");
    std::string error;
    FileLock first;
    ASSERT_TRUE(first.TryLock(path, error)) << error;

    FileLock second;
    EXPECT_FALSE(second.TryLock(path, error));
    EXPECT_NE(error.find("another run holds"), std::string::npos) << error;
    EXPECT_FALSE(second.Held());

    FileLock moved = std::move(first);  // a moved lock stays held
    EXPECT_TRUE(moved.Held());
    EXPECT_FALSE(second.TryLock(path, error));
    moved.Unlock();
    EXPECT_TRUE(second.TryLock(path, error)) << error;
}

TEST(FileLock, UnopenableLockFileIsAnErrorNotAHang) {
    ScopedTempDir dir;
    std::string error;
    FileLock lock;
    EXPECT_FALSE(lock.TryLock(dir.Str("missing-folder/system.lock"), error));
    EXPECT_NE(error.find("cannot open the lock file"), std::string::npos) << error;
}

TEST(FileLock, LetGoRemovesTheFileAndOnlyTheHoldersOwn) {
    ScopedTempDir dir;
    const std::string path = dir.Str("system.lock");
    std::string error;
    {
        FileLock held;
        ASSERT_TRUE(held.TryLock(path, error)) << error;
        FileLock refused;
        EXPECT_FALSE(refused.TryLock(path, error));
        EXPECT_TRUE(std::filesystem::exists(path));  // a refused locker leaves it to the holder
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    FileLock again;  // a lock file a crashed run left behind is taken over
    { std::ofstream(path) << "left by a crashed run"; }
    ASSERT_TRUE(again.TryLock(path, error)) << error;
    again.Unlock();
    EXPECT_FALSE(std::filesystem::exists(path));
}

// Holders remove the file as they let go, while others open and lock it: a locker that locked a
// file just removed must not count as a holder next to the one that made the file anew.
TEST(FileLock, NeverTwoHoldersWhileFilesComeAndGo) {
    ScopedTempDir dir;
    const std::string path = dir.Str("system.lock");
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> taken{0};
    std::vector<std::thread> lockers;
    for (int t = 0; t < 4; ++t) {
        lockers.emplace_back([&] {
            for (int i = 0; i < 3000; ++i) {
                FileLock lock;
                std::string error;
                if (!lock.TryLock(path, error)) continue;
                if (inside.fetch_add(1) != 0) overlaps.fetch_add(1);
                taken.fetch_add(1);
                std::this_thread::yield();
                inside.fetch_sub(1);
            }
        });
    }
    for (auto& locker : lockers) locker.join();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_GT(taken.load(), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace quillmarch
