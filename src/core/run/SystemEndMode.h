// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace quillmarch {

// Where a run left the system, once it had asked for update mode.
enum class SystemEndMode {
    kUntouched,   // update mode was never asked for, or the system took the image
    kNormal,      // sent back: it accepted RSWU and BOOT, or answered in normal mode
    kUpdateMode,  // it answered in update mode and refused to be sent back
    kUnknown,     // it could not be reached to be sent back
};

}  // namespace quillmarch
