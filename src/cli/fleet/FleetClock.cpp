// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetClock.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "core/util/TextUtil.h"

namespace quillmarch::fleet {

namespace {

constexpr int kDay = 86400;

bool TwoDigits(const std::string& text, std::size_t at, int high, int& out) {
    if (!std::isdigit(static_cast<unsigned char>(text[at])) ||
        !std::isdigit(static_cast<unsigned char>(text[at + 1])))
        return false;
    out = (text[at] - '0') * 10 + (text[at + 1] - '0');
    return out <= high;
}

int RealSecondOfDay() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    if (const std::tm* local = std::localtime(&now)) parts = *local;
#else
    localtime_r(&now, &parts);
#endif
    return parts.tm_hour * 3600 + parts.tm_min * 60 + parts.tm_sec;
}

}  // namespace

bool FleetClock::FromEnvironment(FleetClock& out, std::string& error) {
    const char* value = std::getenv(kTestVariable);
    return FromText(value ? value : "", out, error);
}

bool FleetClock::FromText(const std::string& text, FleetClock& out, std::string& error) {
    out = FleetClock{};
    if (text.empty()) return true;
    const std::size_t star = text.find('*');
    const std::string time = text.substr(0, star);
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    bool good = time.size() == 8 && time[2] == ':' && time[5] == ':' &&
                TwoDigits(time, 0, 23, hours) && TwoDigits(time, 3, 59, minutes) &&
                TwoDigits(time, 6, 59, seconds);
    double factor = 1.0;
    if (good && star != std::string::npos) {
        const std::string rate = text.substr(star + 1);
        char* end = nullptr;
        factor = std::strtod(rate.c_str(), &end);
        good =
            !rate.empty() && *end == '\0' && std::isfinite(factor) && factor > 0 && factor <= 1e6;
    }
    if (!good) {
        error = std::string(kTestVariable) + " is \"" + text::ForLog(text, 32) +
                "\": it must be HH:MM:SS or HH:MM:SS*FACTOR (a test aid); unset it";
        return false;
    }
    out.m_simulated = true;
    out.m_startSecond = hours * 3600 + minutes * 60 + seconds;
    out.m_factor = factor;
    return true;
}

int FleetClock::SecondOfDay() const {
    if (!m_simulated) return RealSecondOfDay();
    const double passed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_origin).count() *
        m_factor;
    return static_cast<int>((m_startSecond + static_cast<long long>(passed)) % kDay);
}

}  // namespace quillmarch::fleet
