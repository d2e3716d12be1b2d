// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/run/RunReport.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "core/platform/Platform.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

using Code = FailureCode;

// JSON string: escapes what JSON needs, keeps valid UTF-8, and turns a byte that is not part
// of a UTF-8 sequence into U+FFFD, so a file name or a reply can never break the document.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (n == 0 || i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    }
    return n;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const std::size_t n = Utf8Length(text, i); n > 0) {
            out.append(text.substr(i, n));
            i += n - 1;
        } else {
            out += "\\ufffd";
        }
    }
    return out + "\"";
}

std::string QuoteOrNull(const std::string& text) {
    return text.empty() ? "null" : Quote(text);
}

std::string IsoTime(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm parts{};
#ifdef _WIN32
    // The C runtime keeps gmtime's answer per thread there.
    if (const std::tm* utc = std::gmtime(&seconds)) parts = *utc;
#else
    gmtime_r(&seconds, &parts);
#endif
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::string Seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.3f", value);
    return text;
}

const char* Bool(bool value) {
    return value ? "true" : "false";
}

}  // namespace

RunReport::RunReport(std::string kind, std::string programVersion)
    : m_kind(std::move(kind)),
      m_programVersion(std::move(programVersion)),
      m_start(std::chrono::system_clock::now()),
      m_end(m_start),
      m_taskClock(std::chrono::steady_clock::now()) {}

void RunReport::SetSystemLeftIn(SystemEndMode mode) {
    switch (mode) {
        case SystemEndMode::kNormal:
            m_systemLeftIn = "normal";
            return;
        case SystemEndMode::kUpdateMode:
            m_systemLeftIn = "update_mode";
            return;
        case SystemEndMode::kUnknown:
            m_systemLeftIn = "unknown";
            return;
        case SystemEndMode::kUntouched:
            break;
    }
    m_systemLeftIn.clear();
}

void RunReport::OnFailure(Code code, const std::string& record) {
    if (m_open) m_tasks[*m_open].outcome = "failed";
    if (m_failure != Code::kNone || code == Code::kNone) return;
    m_failure = code;
    m_failureReason = text::ForLog(record, 300);
    m_awaitReason = code == Code::kConnectFailed;
}

void RunReport::OnConnectReason(const std::string& reason, bool logonRefused) {
    if (!m_awaitReason) return;
    m_awaitReason = false;
    m_failureReason += ": " + text::ForLog(reason, 200);
    if (logonRefused) m_failure = Code::kLogonRefused;
}

void RunReport::OnTaskStart(const std::string& name) {
    OnTaskDone();  // a task that was never closed ends where the next begins
    STask task;
    task.name = text::ForLog(name, 200);
    task.outcome = "unfinished";
    task.start = std::chrono::system_clock::now();
    m_taskClock = std::chrono::steady_clock::now();
    m_tasks.push_back(task);
    m_open = m_tasks.size() - 1;
}

void RunReport::OnTaskDone() {
    if (!m_open) return;
    STask& task = m_tasks[*m_open];
    task.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_taskClock).count();
    const bool stopped = m_interrupt && m_interrupt->ShouldStop();
    if (task.outcome == "unfinished" && !stopped) task.outcome = "done";
    m_open.reset();
}

void RunReport::SetOptions(bool verify, int verifyTimeoutSeconds, bool isdn, bool uploadImage,
                           bool updateSoftware) {
    m_options = std::string("{\"verify\": ") + Bool(verify) +
                ", \"verify_timeout_s\": " + std::to_string(verifyTimeoutSeconds) +
                ", \"isdn\": " + Bool(isdn) + ", \"upload_image\": " + Bool(uploadImage) +
                ", \"update_software\": " + Bool(updateSoftware) + "}";
}

void RunReport::SetPack(const PackFacts& pack) {
    m_pack = pack;
}

std::string RunReport::PackJson() const {
    if (m_pack.folder.empty()) return "null";
    return "{\"folder\": " + Quote(m_pack.folder) + ", \"name\": " + QuoteOrNull(m_pack.name) +
           ", \"manifest_sha256\": " + QuoteOrNull(m_pack.manifestSha256) +
           ", \"signed_by\": " + QuoteOrNull(m_pack.signer) +
           ", \"sample\": " + Bool(m_pack.sample) + "}";
}

std::string RunReport::CallJson() const {
    return "{\"policy\": " + Quote(m_callPolicy) +
           ", \"timeout_s\": " + std::to_string(m_callTimeout) +
           ", \"state\": " + QuoteOrNull(m_callState) + ", \"waited_s\": " + Seconds(m_callWaited) +
           "}";
}

void RunReport::SetInstalls(const std::string& version, const std::string& image) {
    m_installVersion = version;
    m_installImage = image;
}

void RunReport::SetVerification(const std::string& outcome, const std::string& text) {
    m_verification = outcome;
    m_verificationText = text::ForLog(text, 300);
}

void RunReport::SetFailure(Code code, const std::string& reason) {
    m_failure = code;
    m_failureReason = text::ForLog(reason, 300);
}

void RunReport::Finish(const std::string& result, int exitCode) {
    if (m_open) {
        // The run stopped inside a task: it was not finished.
        m_tasks[*m_open].seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_taskClock).count();
        m_open.reset();
    }
    m_result = result;
    m_exitCode = exitCode;
    m_end = std::chrono::system_clock::now();
    if (result == "interrupted") {
        m_failure = Code::kInterrupted;
        m_failureReason = "Stopped by the operator";
    } else if ((result == "failure") && m_failure == Code::kNone) {
        m_failure = Code::kFailed;
        m_failureReason = "The run failed; see the log";
    } else if (result == "success" || result == "ready" || result == "up_to_date") {
        m_failure = Code::kNone;
        m_failureReason.clear();
    }
}

std::string RunReport::FactsJson(const SystemFacts& facts) const {
    if (!facts.known) return "null";
    return "{\"model\": " + QuoteOrNull(text::ForLog(facts.model, 200)) +
           ", \"mode\": " + QuoteOrNull(facts.mode) +
           ", \"software_version\": " + QuoteOrNull(text::ForLog(facts.softwareVersion, 200)) + "}";
}

std::string RunReport::TasksJson() const {
    std::string out = "[";
    for (const STask& task : m_tasks) {
        out += std::string(out.size() > 1 ? ",\n    " : "\n    ") +
               "{\"name\": " + Quote(task.name) + ", \"outcome\": " + Quote(task.outcome) +
               ", \"started_at\": " + Quote(IsoTime(task.start)) +
               ", \"duration_s\": " + Seconds(task.seconds) + "}";
    }
    return out + (m_tasks.empty() ? "]" : "\n  ]");
}

std::string RunReport::JsonString(std::string_view text) {
    return Quote(text);
}

std::string RunReport::JsonTime(std::chrono::system_clock::time_point when) {
    return IsoTime(when);
}

std::string RunReport::ToJson() const {
    const double total = std::chrono::duration<double>(m_end - m_start).count();
    std::string failure = "null";
    if (m_failure != Code::kNone) {
        failure = "{\"code\": " + Quote(FailureCodeName(m_failure)) +
                  ", \"reason\": " + Quote(m_failureReason) + "}";
    }
    return "{\n  \"schema_version\": " + std::to_string(kSchemaVersion) +
           ",\n  \"program\": {\"name\": \"quillmarch\", \"version\": " + Quote(m_programVersion) +
           "},\n  \"kind\": " + Quote(m_kind) + ",\n  \"address\": " + Quote(m_address) +
           ",\n  \"options\": " + m_options +
           ",\n  \"installs\": {\"software_version\": " + QuoteOrNull(m_installVersion) +
           ", \"version_known\": " + Bool(!m_installVersion.empty()) +
           ", \"image\": " + QuoteOrNull(m_installImage) +
           ", \"image_file\": " + QuoteOrNull(m_pack.imageFile) +
           ", \"image_sha256\": " + QuoteOrNull(m_pack.imageSha256) + ", \"pack\": " + PackJson() +
           "},\n  \"before\": " + FactsJson(m_before) + ",\n  \"after\": " + FactsJson(m_after) +
           ",\n  \"call\": " + CallJson() + ",\n  \"tasks\": " + TasksJson() +
           ",\n  \"verification\": {\"outcome\": " + Quote(m_verification) +
           ", \"text\": " + QuoteOrNull(m_verificationText) +
           "},\n  \"started_at\": " + Quote(IsoTime(m_start)) +
           ",\n  \"ended_at\": " + Quote(IsoTime(m_end)) +
           ",\n  \"duration_s\": " + Seconds(total) + ",\n  \"result\": " + Quote(m_result) +
           ",\n  \"failure\": " + failure + ",\n  \"log\": " + QuoteOrNull(m_logPath) +
           ",\n  \"system_left_in\": " + QuoteOrNull(m_systemLeftIn) +
           ",\n  \"exit_code\": " + std::to_string(m_exitCode) + "\n}\n";
}

bool RunReport::WriteAtomically(const std::string& path, const std::string& text,
                                std::string& error) {
    namespace fs = std::filesystem;
    const fs::path target = platform::PathFromUtf8(path);
    fs::path temp = target;
    temp += ".tmp" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
        file.flush();
        if (!file) {
            error = "cannot write " + platform::Utf8FromPath(temp);
            std::error_code ignored;
            fs::remove(temp, ignored);
            return false;
        }
    }
    std::error_code failed;
    fs::rename(temp, target, failed);
    if (failed) {
        error = "cannot rename to " + path + ": " + failed.message();
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

}  // namespace quillmarch
