// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdio>

#include "core/run/RunReport.h"

namespace quillmarch {

class RunContext;

// A command-line run or check with its JSON report (--report): the report watches the run
// while this object lives and is written at the end, whatever the outcome.
class ReportedRun {
public:
    explicit ReportedRun(RunContext& app);
    ~ReportedRun();
    ReportedRun(const ReportedRun&) = delete;
    ReportedRun& operator=(const ReportedRun&) = delete;

    RunReport& Report() { return m_report; }
    // Where a check's table goes: stdout, unless the report itself goes there.
    std::FILE* TableStream() const;
    // Writes the report when one was asked for (atomically); a report that cannot be written
    // is said on stderr and leaves the exit code as it is.
    void Finish(int exitCode);

    // The report's result word for an exit code.
    static const char* ResultWord(bool check, int exitCode);
    // --no-verify: the image went up and the system answers again; nobody checked it.
    static constexpr int kUncheckedSuccess = 8;

private:
    RunContext& m_app;
    RunReport m_report;
    bool m_wanted;
};

}  // namespace quillmarch
