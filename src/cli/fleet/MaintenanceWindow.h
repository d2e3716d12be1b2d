// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch::fleet {

// --window HH:MM-HH:MM: the local times of day between which a fleet may start updates. The
// end is not inside; a window whose end comes before its start crosses midnight (22:00-02:00).
class MaintenanceWindow {
public:
    static constexpr int kSecondsPerDay = 86400;

    // False, with `error` in words, for anything but two different times HH:MM (00:00 to
    // 23:59) joined by "-".
    static bool Parse(const std::string& text, MaintenanceWindow& out, std::string& error);

    bool Set() const { return m_start >= 0; }
    // Whether a time of day (seconds after local midnight) lies inside; always true when unset.
    bool Contains(int secondOfDay) const;
    // Seconds from `secondOfDay` until the window opens; 0 when it is open.
    int SecondsUntilOpen(int secondOfDay) const;
    // As given, normalised ("02:00-04:30"); empty when unset.
    std::string Text() const;

private:
    int m_start = -1;  // seconds after midnight
    int m_end = -1;
};

}  // namespace quillmarch::fleet
