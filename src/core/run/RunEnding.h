// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "core/run/SystemEndMode.h"

namespace quillmarch {

// The one sentence a finished run ends on, in the progress window and on stderr alike: it
// worked (and what was checked), it failed (and why, and where the system was left), or the
// operator stopped it (said by the window itself, once it has asked the system).
class RunEnding {
public:
    struct SFacts {
        bool success = false;
        // "Verified: ..." words of the check after the image; empty when none was made.
        std::string verified;
        // --no-verify: the image went, nobody looked at the system afterwards.
        bool unchecked = false;
        // The first failure in words (a log record); empty when none was named.
        std::string failure;
        // The log, named when no failure was.
        std::string logPath;
        SystemEndMode leftIn = SystemEndMode::kUntouched;
    };

    static std::string Sentence(const SFacts& facts);
    // Where a failed run left a system it had asked for update mode; empty when untouched.
    static std::string LeftInClause(SystemEndMode mode);
};

}  // namespace quillmarch
