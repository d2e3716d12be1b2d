// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <csignal>
#include <optional>

#include "cli/SignalScope.h"
#include "core/run/RunInterrupt.h"

namespace quillmarch {
namespace {

#ifndef _WIN32
// Repeated stops while the run must not end (between an erase and its restore, or while the
// system is brought back from update mode) are only recorded: the process is still here to
// check them. A regression ends the test program itself, which fails the test.
TEST(SignalScope, RepeatedStopsAreHeldWhileTheRunMustNotEnd) {
    const struct {
        const char* what;
        bool critical;
        bool exitHold;
    } cases[] = {
        {"between the erase and the restore", true, false},
        {"while the system is sent back from update mode", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RunInterrupt interrupt;
        SignalScope scope(interrupt);
        {
            std::optional<RunInterrupt::CriticalSection> section;
            std::optional<RunInterrupt::ExitHold> hold;
            if (c.critical) section.emplace(interrupt);
            if (c.exitHold) hold.emplace();
            for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGINT}) std::raise(sig);
            EXPECT_TRUE(interrupt.Requested());
            EXPECT_EQ(interrupt.Signal(), SIGINT);  // the first one names the exit code
            EXPECT_EQ(interrupt.ShouldStop(), !c.critical);
        }
        EXPECT_TRUE(interrupt.ShouldStop());  // once safe, the stop takes effect
        EXPECT_EQ(interrupt.ExitCode(), 130);
    }
}
#endif

}  // namespace
}  // namespace quillmarch
