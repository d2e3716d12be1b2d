// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetOutcome.h"

namespace quillmarch::fleet {

const char* ResultWords(SystemResult result) {
    switch (result) {
        case SystemResult::kSucceeded:
            return "succeeded";
        case SystemResult::kFailed:
            return "failed";
        case SystemResult::kUpToDate:
            return "up to date";
        case SystemResult::kSkipped:
            return "skipped";
        case SystemResult::kNotStarted:
            return "not started";
        case SystemResult::kInterrupted:
            return "interrupted";
        case SystemResult::kReady:
            return "ready";
        case SystemResult::kCannot:
            return "cannot";
        case SystemResult::kUnreachable:
            return "unreachable";
        case SystemResult::kInCall:
            return "in a call";
    }
    return "failed";
}

}  // namespace quillmarch::fleet
