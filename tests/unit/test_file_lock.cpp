// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace quillmarch
