// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/MaintenanceWindow.h"

#include <cctype>
#include <cstdio>

namespace quillmarch::fleet {

namespace {

// "HH:MM" exactly: two digits, a colon, two digits.
bool ParseTime(const std::string& text, int& seconds) {
    if (text.size() != 5 || text[2] != ':') return false;
    for (std::size_t i : {0U, 1U, 3U, 4U}) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    }
    const int hours = (text[0] - '0') * 10 + (text[1] - '0');
    const int minutes = (text[3] - '0') * 10 + (text[4] - '0');
    if (hours > 23 || minutes > 59) return false;
    seconds = hours * 3600 + minutes * 60;
    return true;
}

std::string TimeText(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", seconds / 3600 % 24, seconds / 60 % 60);
    return text;
}

}  // namespace

bool MaintenanceWindow::Parse(const std::string& text, MaintenanceWindow& out, std::string& error) {
    const std::size_t dash = text.find('-');
    MaintenanceWindow window;
    if (text.size() != 11 || dash != 5 || !ParseTime(text.substr(0, 5), window.m_start) ||
        !ParseTime(text.substr(6), window.m_end)) {
        error = "option \"--window\" needs two local times HH:MM-HH:MM (such as 22:00-02:00)";
        return false;
    }
    if (window.m_start == window.m_end) {
        error = "option \"--window\" needs an end other than its start";
        return false;
    }
    out = window;
    return true;
}

bool MaintenanceWindow::Contains(int secondOfDay) const {
    if (!Set()) return true;
    if (m_start < m_end) return secondOfDay >= m_start && secondOfDay < m_end;
    return secondOfDay >= m_start || secondOfDay < m_end;  // across midnight
}

int MaintenanceWindow::SecondsUntilOpen(int secondOfDay) const {
    if (Contains(secondOfDay)) return 0;
    return (m_start - secondOfDay + kSecondsPerDay) % kSecondsPerDay;
}

std::string MaintenanceWindow::Text() const {
    return Set() ? TimeText(m_start) + "-" + TimeText(m_end) : std::string();
}

}  // namespace quillmarch::fleet
