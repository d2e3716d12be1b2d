// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <string>

namespace quillmarch {

class RunContext;

// Whether a system is there: something accepts a TCP connection at its FTP port. Sends no
// byte, so a restarting system can be watched without logging on again and again.
class SystemProbe {
public:
    static constexpr std::chrono::milliseconds kConnectTimeout{2000};

    // The job's address, through the application's probe when one is set (tests).
    [[nodiscard]] static bool Answers(RunContext& app);
    // host, host:port, [v6]:port; without a port 21 (990 for the secure link). Bounded by
    // `timeout`; never through a proxy.
    [[nodiscard]] static bool Answers(const std::string& address, bool secure,
                                      std::chrono::milliseconds timeout);
};

}  // namespace quillmarch
