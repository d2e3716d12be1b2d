// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/run/RunEndingWatch.h"

#include "core/job/RunContext.h"

namespace quillmarch {

RunEndingWatch::RunEndingWatch(RunContext& app)
    : m_app(app), m_next(app.RunObserver()), m_seen("run", "") {
    m_app.SetRunObserver(this);
}

RunEndingWatch::~RunEndingWatch() {
    if (m_app.RunObserver() == this) m_app.SetRunObserver(m_next);
}

void RunEndingWatch::OnLogRecord(const std::string& text) {
    m_seen.OnLogRecord(text);
    if (m_next) m_next->OnLogRecord(text);
}

void RunEndingWatch::OnTaskStart(const std::string& name) {
    m_seen.OnTaskStart(name);
    if (m_next) m_next->OnTaskStart(name);
}

void RunEndingWatch::OnTaskDone() {
    m_seen.OnTaskDone();
    if (m_next) m_next->OnTaskDone();
}

void RunEndingWatch::OnFailure(FailureCode code, const std::string& record) {
    m_seen.OnFailure(code, record);
    if (m_next) m_next->OnFailure(code, record);
}

void RunEndingWatch::OnConnectReason(const std::string& reason, bool logonRefused) {
    m_seen.OnConnectReason(reason, logonRefused);
    if (m_next) m_next->OnConnectReason(reason, logonRefused);
}

void RunEndingWatch::OnSystemFacts(bool after, const SystemFacts& facts) {
    if (m_next) m_next->OnSystemFacts(after, facts);
}

void RunEndingWatch::OnVerification(const std::string& outcome, const std::string& text) {
    m_seen.OnVerification(outcome, text);
    if (m_next) m_next->OnVerification(outcome, text);
}

void RunEndingWatch::OnCallState(const std::string& state, double waitedSeconds) {
    if (m_next) m_next->OnCallState(state, waitedSeconds);
}

RunEnding::SFacts RunEndingWatch::Facts(bool success) const {
    RunEnding::SFacts facts;
    facts.success = success;
    if (m_seen.VerificationOutcome() == "verified") facts.verified = m_seen.VerificationText();
    facts.unchecked = m_app.m_imageUnchecked;
    facts.failure = m_seen.FailureReason();
    facts.logPath = m_app.m_logPath;
    facts.leftIn = m_app.m_systemEndMode;
    return facts;
}

}  // namespace quillmarch
