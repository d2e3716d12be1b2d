// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/util/RealClock.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "core/run/RunInterrupt.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

RealClock::RealClock(double scale) : m_scale(scale > 0 && std::isfinite(scale) ? scale : 1.0) {}

void RealClock::Wait(std::chrono::milliseconds duration) {
    if (duration.count() <= 0) return;
    // A day at most, so an absurd scale cannot overflow the conversion.
    constexpr double kMaxMicroseconds = 86400.0 * 1e6;
    const double scaled =
        std::min(static_cast<double>(duration.count()) * m_scale * 1000.0, kMaxMicroseconds);
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::microseconds(static_cast<long long>(scaled));
    constexpr auto kSlice = std::chrono::milliseconds(50);
    for (auto now = std::chrono::steady_clock::now(); now < end;
         now = std::chrono::steady_clock::now()) {
        if (m_interrupt && m_interrupt->ShouldStop()) return;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(end - now, kSlice));
    }
}

std::chrono::milliseconds RealClock::Now() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

double RealClock::ParseScale(const std::string& text) {
    if (text.empty()) return 1.0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(value) || value <= 0) return 1.0;
    return value;
}

std::string RealClock::ScaleProblem() {
    const char* value = std::getenv("QUILLMARCH_TIME_SCALE");
    if (value == nullptr) return {};
    const std::string text = value;
    char* end = nullptr;
    const double scale = std::strtod(text.c_str(), &end);
    if (!text.empty() && end != text.c_str() && *end == '\0' && std::isfinite(scale) && scale > 0)
        return {};
    return "QUILLMARCH_TIME_SCALE is \"" + text::ForLog(text, 32) +
           "\": it must be a positive number (1 for real waits); unset it or fix it";
}

double RealClock::ScaleFromEnvironment() {
    const char* value = std::getenv("QUILLMARCH_TIME_SCALE");
    return ParseScale(value ? value : "");
}

}  // namespace quillmarch
