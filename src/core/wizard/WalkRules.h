// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace quillmarch {

struct UpdateJob;

// Which wizard page follows which: the page-table indexes and the one rule that picks the page
// Next appends. Kept apart from the pages so the whole walk can be checked without a window.
class WalkRules {
public:
    enum PageId {
        kInfoAlert = 0,
        kIPAddress = 1,
        kSystemInfo = 2,
        kUpgradeType = 3,
        kUpgradeChoice = 4,
        kSoftwareUpgrade = 5,
        kChangeSettings = 6,
        kNetworkSettings = 7,
        kSecureMode = 8,
        kDisplaySettings = 9,
        kResults = 10,
        kPageCount = 11,
        kNone = -1,  // nothing follows: the summary ends the wizard with Finish
    };

    // The page appended when Next is accepted on `currentPage`, read from the job's choices
    // as the pages have written them. kNone for the summary and for indexes outside the table.
    static int NextPage(int currentPage, const UpdateJob& job);
};

}  // namespace quillmarch
