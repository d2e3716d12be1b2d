// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>

namespace quillmarch {

// Every fixed wait of the engine goes through this, so tests can run them in virtual time.
class IClock {
public:
    virtual ~IClock() = default;
    virtual void Wait(std::chrono::milliseconds duration) = 0;
    // Monotonic time since an arbitrary origin; advanced by Wait on a fake clock.
    virtual std::chrono::milliseconds Now() const = 0;
};

}  // namespace quillmarch
