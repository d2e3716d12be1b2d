// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/job/CallPolicy.h"

namespace quillmarch {

class RunContext;

// The command line's options for a preflight check, the verification and the JSON report:
// "--check", "--verify" (the default), "--no-verify" (an unchecked success), "--verify-timeout
// SECONDS", "--report FILE" ("-" for stdout), "--in-call skip|wait|break", "--in-call-timeout
// SECONDS". A value may follow as the next argument or after "=".
// Letters in any case.
class RunModeOptions {
public:
    enum class Taken { kNotMine, kTaken, kRefused };

    static constexpr int kMaxVerifySeconds = 86400;
    static constexpr int kMaxInCallSeconds = 86400;

    // "skip", "wait" or "break" (any case); false for any other word.
    static bool ParseCallPolicy(const std::string& word, CallPolicy& out);
    static const char* CallPolicyName(CallPolicy policy);

    // Looks at args[i]; when it is one of these options, fills the job record and moves i past
    // a value taken from the next argument. `seen` holds what was given already (shared with
    // the other options), `error` says why an option is refused.
    static Taken Take(RunContext& app, const std::vector<std::string>& args, std::size_t& i,
                      std::string& seen, std::string& error);
};

}  // namespace quillmarch
