#pragma once

#include <cstdio>

#include "core/run/CRunReport.h"

namespace quillmarch {

class CQuillmarch6App;

// A command-line run or check with its JSON report (--report): the report watches the run
// while this object lives and is written at the end, whatever the outcome.
class CReportedRun {
public:
    explicit CReportedRun(CQuillmarch6App& app);
    ~CReportedRun();
    CReportedRun(const CReportedRun&) = delete;
    CReportedRun& operator=(const CReportedRun&) = delete;

    CRunReport& Report() { return m_report; }
    // Where a check's table goes: stdout, unless the report itself goes there.
    std::FILE* TableStream() const;
    // Writes the report when one was asked for (atomically); a report that cannot be written
    // is said on stderr and leaves the exit code as it is.
    void Finish(int exitCode);

    // The report's result word for an exit code.
    static const char* ResultWord(bool check, int exitCode);

private:
    CQuillmarch6App& m_app;
    CRunReport m_report;
    bool m_bWanted;
};

}  // namespace quillmarch
