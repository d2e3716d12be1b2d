// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetSystemRun.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/CommandLineRun.h"
#include "cli/ReportedRun.h"
#include "cli/fleet/FleetProgressSink.h"
#include "cli/fleet/FleetSystemArguments.h"
#include "cli/fleet/FleetSystemJob.h"
#include "cli/fleet/FleetView.h"
#include "core/catalogue/SharedImages.h"
#include "core/job/JobStartup.h"
#include "core/job/RunContext.h"
#include "core/job/RunModeOptions.h"
#include "core/pack/ImageCheck.h"
#include "core/platform/Platform.h"
#include "core/run/PreflightCheck.h"
#include "core/run/RunReport.h"
#include "core/run/SystemFactsReader.h"
#include "core/run/UpdateRun.h"
#include "core/ui/ConsoleMessageBox.h"
#include "core/util/AddressNames.h"
#include "core/util/RealClock.h"

namespace quillmarch::fleet {

namespace {
// What a stopped system's own report says (RunReport words a stop so).
constexpr const char* kStoppedWords = "Stopped by the operator";
}  // namespace

FleetSystemRun::FleetSystemRun(const FleetPlan& plan, std::size_t system,
                               std::shared_ptr<SharedImages> images, FleetView& view,
                               std::string tries)
    : m_plan(plan),
      m_system(plan.systems[system]),
      m_index(system),
      m_view(view),
      m_clock(std::make_unique<RealClock>(RealClock::ScaleFromEnvironment())),
      m_messageBox(std::make_unique<ConsoleMessageBox>()),
      m_app(std::make_unique<RunContext>(*m_clock, *m_messageBox)),
      m_tries(std::move(tries)) {
    m_app->m_payloads.ShareThrough(std::move(images));
    m_app->SetTimeScale(m_clock->Scale());
    m_clock->SetInterrupt(&m_app->Interrupt());
    // Notes go to the fleet's display, not between its lines on stderr.
    m_app->SetConsole([this](const std::string& text) { m_view.Note(m_index, text); });
}

FleetSystemRun::~FleetSystemRun() {
    if (m_app) m_app->SetRunObserver(nullptr);
}

void FleetSystemRun::Stop(int signalNumber) {
    m_app->Interrupt().Request(signalNumber);
}

FleetSystemRunMaker FleetSystemRun::Maker(const FleetPlan& plan,
                                          std::shared_ptr<SharedImages> images, FleetView& view) {
    return
        [&plan, images = std::move(images), &view](std::size_t system, const std::string& tries) {
            return std::make_unique<FleetSystemRun>(plan, system, images, view, tries);
        };
}

void FleetSystemRun::MakeReport() {
    m_report =
        std::make_unique<RunReport>(m_plan.options.check ? "check" : "update", QUILLMARCH_VERSION);
    m_report->SetAddress(m_app->Job().target.address);
    m_report->SetInterrupt(&m_app->Interrupt());
    const UpdateJob& job = m_app->Job();
    m_report->SetOptions(true, job.options.verifyTimeoutSeconds, job.tasks.isdnUpdate,
                         job.tasks.uploadImage, job.tasks.updateSoftware);
    m_report->SetCallPolicy(RunModeOptions::CallPolicyName(job.options.inCall),
                            job.options.inCallTimeoutSeconds);
    m_app->SetRunObserver(m_report.get());
}

SystemOutcome FleetSystemRun::Run() {
    const auto start = std::chrono::steady_clock::now();
    m_view.Started(m_index);
    SystemOutcome outcome;
    FleetSystemJob job;
    StartupResult started;
    if (!FleetSystemArguments::Job(m_plan, m_system, job, started.message))
        started.state = StartupState::kBadCommandLine;
    else
        started = JobStartup::Start(*m_app, job.job, job.logPath);
    if (started.state != StartupState::kReady) {
        outcome.result = SystemResult::kFailed;
        outcome.reason = started.message;
        outcome.logPath = m_app->m_log.LastPath();
    } else {
        if (!m_tries.empty())
            m_app->WriteLog("Trying again (--retry-failed); the tries before failed: " + m_tries,
                            0);
        MakeReport();
        m_app->m_progressWnd = std::make_shared<FleetProgressSink>(m_view, m_index);
        // The check's table is not shown: the fleet's own table says what matters.
        std::FILE* table = std::tmpfile();
        const int code = table ? PreflightCheck(*m_app).Run(m_report.get(), table)
                               : PreflightCheck::kCannotUpdate;
        if (table) std::fclose(table);
        outcome = m_plan.options.check ? Checked(code) : Updated(code);
    }
    if (m_app->m_link) m_app->m_link->Disconnect();
    m_app->m_progressWnd.reset();
    m_app->CloseLog();
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

SystemOutcome FleetSystemRun::Checked(int code) {
    SystemOutcome outcome;
    switch (code) {
        case PreflightCheck::kReady:
            outcome.result = SystemResult::kReady;
            break;
        case PreflightCheck::kUpToDate:
            outcome.result = SystemResult::kUpToDate;
            break;
        case PreflightCheck::kUnreachable:
            outcome.result = SystemResult::kUnreachable;
            break;
        default:
            outcome.result =
                m_app->Interrupt().Requested() ? SystemResult::kInterrupted : SystemResult::kCannot;
    }
    outcome.reason = m_report->FailureReason();
    return Ended(outcome, ReportedRun::ResultWord(true, code), code);
}

SystemOutcome FleetSystemRun::Updated(int checkCode) {
    SystemOutcome outcome;
    if (checkCode == PreflightCheck::kUpToDate && !m_plan.options.force) {
        outcome.result = SystemResult::kUpToDate;
        return Ended(outcome, "up_to_date", checkCode);
    }
    if (checkCode != PreflightCheck::kReady && checkCode != PreflightCheck::kUpToDate) {
        const bool stopped = m_app->Interrupt().Requested();
        outcome.result = stopped ? SystemResult::kInterrupted : SystemResult::kFailed;
        // The table says what the system's report says of a stop.
        outcome.reason = stopped ? kStoppedWords : m_report->FailureReason();
        return Ended(outcome, stopped ? "interrupted" : "failure",
                     stopped ? m_app->Interrupt().ExitCode() : 1);
    }
    // The check logged on and closed the log; the update makes its own connection from the
    // start, and its records follow the check's in the same log.
    if (m_app->m_link) m_app->m_link->Disconnect();
    m_app->m_log.Append(m_app->m_log.LastPath());
    const bool success = UpdateRun(*m_app).RunUpdate(0);
    if (success) {
        outcome.result = SystemResult::kSucceeded;
        return Ended(outcome, "success", 0);
    }
    // The run has closed its log: the failure line goes after its last record.
    if (m_app->m_log.Append(m_app->m_log.LastPath())) {
        m_app->WriteLog(m_app->LoadUiString(194, "Failure"), 0);
        m_app->m_log.Close();
    }
    const bool stopped = m_app->Interrupt().Requested();
    outcome.result = stopped ? SystemResult::kInterrupted : SystemResult::kFailed;
    outcome.reason = stopped ? kStoppedWords : m_report->FailureReason();
    // Left alone for its call: not a fault of the system, counted apart and tried again by a
    // resume.
    if (!stopped && m_report->FailureCode() == "in_call") outcome.result = SystemResult::kInCall;
    // A system that could not be sent back from update mode is said first, with its own code.
    const bool unsafe = CommandLineRun::LeftUnsafe(m_app->m_systemEndMode);
    if (unsafe) outcome.reason = "the system may still be in update mode; " + outcome.reason;
    return Ended(outcome, stopped ? "interrupted" : "failure",
                 unsafe    ? CommandLineRun::kExitLeftInUpdateMode
                 : stopped ? m_app->Interrupt().ExitCode()
                           : 1);
}

SystemOutcome FleetSystemRun::Ended(SystemOutcome outcome, const char* word, int exitCode) {
    m_report->SetInstalls(
        SystemFactsReader::InstalledVersion(*m_app),
        SystemFactsReader::ImageName(m_app->Job(), m_app->Catalogue(), m_app->m_imageCatalogue));
    m_report->SetPack(ImageCheck::ReportFacts(*m_app));
    m_report->SetSystemLeftIn(m_app->m_systemEndMode);
    std::error_code ignored;
    const auto log =
        std::filesystem::absolute(platform::PathFromUtf8(m_app->m_log.LastPath()), ignored);
    outcome.logPath = platform::Utf8FromPath(log);
    m_report->SetLogPath(outcome.logPath);
    m_report->Finish(word, exitCode);
    outcome.model = m_report->Before().model;
    outcome.versionBefore = m_report->Before().softwareVersion;
    outcome.versionAfter = m_report->After().softwareVersion;
    if (outcome.reason.empty() && outcome.result == SystemResult::kFailed)
        outcome.reason = m_report->FailureCode().empty() ? "see the log" : m_report->FailureCode();
    m_app->SetRunObserver(nullptr);
    outcome.reportJson = m_report->ToJson();
    return outcome;
}

}  // namespace quillmarch::fleet
