// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/run/RunEnding.h"

namespace quillmarch {

namespace {

constexpr const char* kVerifiedPrefix = "Verified: ";

// Log records that name a failure in the program's own shorthand, in the operator's words.
struct SPlainReason {
    const char* record;
    const char* words;
};
constexpr SPlainReason kPlainReasons[] = {
    {"Could not connect to Orbiscope",
     "the system did not answer after its restart into update mode"},
    {"System not in update mode", "the system did not switch to update mode"},
    {"Got IDCANCEL from Progress Dlg", "it was stopped in the progress window"},
    {"Put Image Failure", "the system did not take the whole image"},
    {"Put dummy file Failure", "the system did not take the whole image"},
    {"Verification failed: ", "the check after the update found that "},
};

std::string Plain(const std::string& record) {
    for (const SPlainReason& plain : kPlainReasons) {
        const std::string start = plain.record;
        if (record.rfind(start, 0) != 0) continue;
        return plain.words + record.substr(start.size());
    }
    return record;
}

std::string WithStop(std::string text) {
    if (!text.empty() && text.back() != '.') text += '.';
    return text;
}

}  // namespace

std::string RunEnding::LeftInClause(SystemEndMode mode) {
    switch (mode) {
        case SystemEndMode::kNormal:
            return "The system was sent back to normal mode; it runs the software it had.";
        case SystemEndMode::kUpdateMode:
            return "The system is still in update mode: run the update again to finish it.";
        case SystemEndMode::kUnknown:
            return "The state of the system is unknown: it could not be reached to send it "
                   "back to normal mode. Check it before using it.";
        case SystemEndMode::kUntouched:
            break;
    }
    return {};
}

std::string RunEnding::Sentence(const SFacts& facts) {
    if (facts.success) {
        std::string verified = facts.verified;
        if (verified.rfind(kVerifiedPrefix, 0) == 0) verified.erase(0, 10);
        if (!verified.empty()) return WithStop("The update succeeded: " + verified);
        if (facts.unchecked)
            return "The update succeeded, but the system was not checked afterwards "
                   "(--no-verify).";
        return "The update succeeded.";
    }
    std::string reason = Plain(facts.failure);
    if (reason.empty() && !facts.logPath.empty()) reason = "see the log " + facts.logPath;
    std::string text =
        reason.empty() ? "The update failed." : WithStop("The update failed: " + reason);
    const std::string left = LeftInClause(facts.leftIn);
    if (!left.empty()) text += " " + left;
    return text;
}

}  // namespace quillmarch
