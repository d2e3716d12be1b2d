// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <vector>

#include "core/util/IClock.h"

namespace quillmarch::test {

// Records every wait and advances virtual time instead of sleeping.
class FakeClock : public IClock {
public:
    void Wait(std::chrono::milliseconds duration) override {
        waits.push_back(duration);
        now += duration;
    }
    std::chrono::milliseconds Now() const override { return now; }
    std::chrono::milliseconds Total() const { return now; }

    std::vector<std::chrono::milliseconds> waits;
    std::chrono::milliseconds now{0};
};

}  // namespace quillmarch::test
