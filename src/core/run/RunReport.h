// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run/FailureCode.h"
#include "core/run/IRunObserver.h"
#include "core/run/RunInterrupt.h"
#include "core/run/SystemEndMode.h"
#include "core/run/SystemFactsReader.h"

namespace quillmarch {

// The JSON document of one run or check (docs/report.schema.json). It learns the tasks from the
// run's progress and the first failure from the code the engine gives with it, never from the
// wording of a log record. Holds no secret: the password never reaches it.
class RunReport : public IRunObserver {
public:
    static constexpr int kSchemaVersion = 1;

    RunReport(std::string kind, std::string programVersion);

    // The log's words change nothing here: failures come with their code (OnFailure).
    void OnLogRecord(const std::string& text) override { static_cast<void>(text); }
    void OnTaskStart(const std::string& name) override;
    void OnTaskDone() override;
    // The first failure names the cause; every failure fails the task it happens in.
    void OnFailure(quillmarch::FailureCode code, const std::string& record) override;
    void OnConnectReason(const std::string& reason, bool logonRefused) override;
    void OnSystemFacts(bool after, const SystemFacts& facts) override {
        (after ? m_after : m_before) = facts;
    }
    void OnVerification(const std::string& outcome, const std::string& text) override {
        SetVerification(outcome, text);
    }
    void OnCallState(const std::string& state, double waitedSeconds) override {
        m_callState = state;
        m_callWaited += waitedSeconds;  // each look before a change adds its own wait
    }
    // The run's --in-call policy ("skip", "wait", "break") and its wait bound.
    void SetCallPolicy(const std::string& policy, int timeoutSeconds) {
        m_callPolicy = policy;
        m_callTimeout = timeoutSeconds;
    }
    const std::string& CallState() const { return m_callState; }

    void SetAddress(const std::string& address) { m_address = address; }
    // A task that ends while the operator's stop is in force was cut short, not done.
    void SetInterrupt(const RunInterrupt* interrupt) { m_interrupt = interrupt; }
    void SetOptions(bool verify, int verifyTimeoutSeconds, bool isdn, bool uploadImage,
                    bool updateSoftware);
    // The image pack the run took its image from; an empty folder: none was found.
    struct PackFacts {
        std::string folder;
        std::string name;            // empty without a manifest
        std::string manifestSha256;  // empty without a manifest
        std::string signer;          // empty when not signed
        bool sample = false;
        std::string imageFile;  // the image checked ("155.bin"); empty when none was
        std::string imageSha256;
    };
    // The version is empty when the pack does not say it (the report shows null).
    void SetInstalls(const std::string& version, const std::string& image);
    void SetPack(const PackFacts& pack);
    // Where the run left the system after it asked for update mode (nothing when it never did
    // or the system took the image).
    void SetSystemLeftIn(SystemEndMode mode);
    SystemFacts& Before() { return m_before; }
    SystemFacts& After() { return m_after; }
    // "verified", "failed" or "not_run", with the log record's words.
    void SetVerification(const std::string& outcome, const std::string& text);
    // A failure the run did not meet itself (a check's outcome); replaces any before it.
    void SetFailure(quillmarch::FailureCode code, const std::string& reason);
    void SetLogPath(const std::string& path) { m_logPath = path; }
    // Ends the report: result word and exit code; the end time is taken now.
    void Finish(const std::string& result, int exitCode);

    quillmarch::FailureCode Failure() const { return m_failure; }
    // The failure's stable word ("upload_failed"); empty when none.
    std::string FailureCode() const { return std::string(FailureCodeName(m_failure)); }
    const std::string& FailureReason() const { return m_failureReason; }
    const std::string& VerificationOutcome() const { return m_verification; }
    const std::string& VerificationText() const { return m_verificationText; }
    std::string ToJson() const;

    // Writes `text` to `path` through a temporary file in the same folder and a rename, so a
    // reader finds the old document or the whole new one. False with `error` in words.
    [[nodiscard]] static bool WriteAtomically(const std::string& path, const std::string& text,
                                              std::string& error);
    // A JSON string of `text` (valid UTF-8 whatever the input), and a time as the report
    // writes it (UTC, ISO 8601): for documents that hold reports.
    static std::string JsonString(std::string_view text);
    static std::string JsonTime(std::chrono::system_clock::time_point when);

private:
    struct STask {
        std::string name;
        std::string outcome = "unfinished";
        std::chrono::system_clock::time_point start;
        double seconds = 0;
    };

    std::string TasksJson() const;
    std::string FactsJson(const SystemFacts& facts) const;
    std::string PackJson() const;
    std::string CallJson() const;

    std::string m_kind;
    std::string m_programVersion;
    std::string m_address;
    std::string m_options = "{}";
    std::string m_installVersion;
    std::string m_installImage;
    PackFacts m_pack;
    SystemFacts m_before;
    SystemFacts m_after;
    std::string m_callPolicy = "break";
    int m_callTimeout = 0;
    std::string m_callState;  // empty: the run never looked
    double m_callWaited = 0;
    std::string m_verification = "not_run";
    std::string m_verificationText;
    // Set only when the run had to send the system back from update mode.
    std::string m_systemLeftIn;
    quillmarch::FailureCode m_failure = quillmarch::FailureCode::kNone;
    std::string m_failureReason;
    bool m_awaitReason = false;  // the connect failure's reason refines it
    std::string m_logPath;
    std::string m_result;
    int m_exitCode = -1;
    std::vector<STask> m_tasks;
    std::optional<std::size_t> m_open;  // the task running now
    std::chrono::system_clock::time_point m_start;
    std::chrono::system_clock::time_point m_end;
    std::chrono::steady_clock::time_point m_taskClock;
    const RunInterrupt* m_interrupt = nullptr;
};

}  // namespace quillmarch
