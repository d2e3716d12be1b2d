// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/job/RunModeOptions.h"

namespace quillmarch {

class RunContext;

// The command line's image pack options: "--images DIR", "--require-signed", "--trusted-key
// FILE" (may be given more than once). A value may follow as the next argument or after "=".
class PackOptions {
public:
    static constexpr std::size_t kMaxTrustedKeys = 16;

    static RunModeOptions::Taken Take(RunContext& app, const std::vector<std::string>& args,
                                      std::size_t& i, std::string& seen, std::string& error);
};

}  // namespace quillmarch
