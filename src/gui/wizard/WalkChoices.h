// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace quillmarch {

struct UpdateJob;

// The operator's choices in the job record, kept honest: what the summary lists is what the
// run does. A choice the operator cannot see (hidden by Typical, or under a task that is not
// chosen) is no choice, and a new walk does not inherit the last one's.
class WalkChoices {
public:
    // The tasks a run of the job would carry out.
    struct STasks {
        bool bUpdateSoftware = false;
        bool bChangeSettings = false;
        bool bChangeLan = false;
        bool bChangeSecurity = false;  // the security mode goes to security.secureModeWanted
        bool bSecureModeWanted = false;
        bool bChangeDisplay = false;
        bool bEraseFlash = false;
    };

    // Back to the choices of a fresh walk: software update only (as stored), nothing else,
    // everything retained, no new passwords. The system's own values are read anew after
    // connecting.
    static void ResetForNewWalk(UpdateJob& job);
    // Typical offers the software update only, so the Custom tasks do not count; without the
    // settings task, no LAN, display or security change does.
    static STasks Effective(const UpdateJob& job);
    // Writes Effective(job) back: the hidden choices are dropped from the job.
    static void DropHiddenChoices(UpdateJob& job);
};

}  // namespace quillmarch
