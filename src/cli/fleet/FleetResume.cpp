// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetResume.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <system_error>

#include "cli/fleet/FleetCommandLine.h"
#include "cli/fleet/FleetInventory.h"
#include "cli/fleet/FleetPlanLoader.h"
#include "cli/fleet/FleetReport.h"
#include "cli/fleet/FleetSystemArguments.h"
#include "core/job/CommandLine.h"
#include "core/job/RunModeOptions.h"
#include "core/platform/Platform.h"
#include "core/platform/SystemKey.h"
#include "core/util/StrictJson.h"
#include "core/util/TextUtil.h"

namespace quillmarch::fleet {

namespace {

using Json = nlohmann::json;

constexpr int kMaxDepth = 8;  // a fleet report nests six deep
constexpr int kFtpPort = 21;
constexpr std::size_t kMaxText = 4096;

bool ParseStrict(const std::string& text, Json& out, std::string& error) {
    return StrictJson::Parse(text, kMaxDepth, "nested deeper than a fleet report", out, error);
}

const Json* Field(const Json& object, const char* name) {
    const auto it = object.find(name);
    return it == object.end() ? nullptr : &*it;
}

// Reads one field when it is there with the right type; a field that is missing keeps the
// default (reports from before the field existed), one of another type or range refuses.
class FieldReader {
public:
    FieldReader(const Json& object, std::string& error) : m_object(object), m_error(error) {}

    bool Integer(const char* name, int low, int high, int& out, bool nullable = false) {
        const Json* value = Field(m_object, name);
        if (value == nullptr || (nullable && value->is_null())) return true;
        if (!value->is_number_integer() || value->get<long long>() < low ||
            value->get<long long>() > high)
            return Fail(name);
        out = static_cast<int>(value->get<long long>());
        return true;
    }

    bool Boolean(const char* name, bool& out) {
        const Json* value = Field(m_object, name);
        if (value == nullptr) return true;
        if (!value->is_boolean()) return Fail(name);
        out = value->get<bool>();
        return true;
    }

    bool Text(const char* name, std::string& out, bool nullable = false) {
        const Json* value = Field(m_object, name);
        if (value == nullptr || (nullable && value->is_null())) return true;
        if (!value->is_string() || value->get_ref<const std::string&>().size() > kMaxText)
            return Fail(name);
        out = value->get<std::string>();
        return true;
    }

    bool Texts(const char* name, std::vector<std::string>& out) {
        const Json* value = Field(m_object, name);
        if (value == nullptr) return true;
        if (!value->is_array() || value->size() > 64) return Fail(name);
        out.clear();
        for (const Json& item : *value) {
            if (!item.is_string() || item.get_ref<const std::string&>().size() > kMaxText)
                return Fail(name);
            out.push_back(item.get<std::string>());
        }
        return true;
    }

    bool Fail(const char* name) {
        m_error = std::string("its field \"") + name + "\" is not what a fleet report holds";
        return false;
    }

private:
    const Json& m_object;
    std::string& m_error;
};

bool ReadOptions(const Json& options, FleetOptions& out, std::string& error) {
    if (!options.is_object()) return FieldReader(options, error).Fail("options");
    FieldReader read(options, error);
    std::string policy = "skip";
    std::string window;
    if (!read.Integer("jobs", 1, kMaxJobs, out.jobs) ||
        !read.Integer("canary", 0, kMaxFleetCount, out.canary) ||
        !read.Integer("max_failures", 1, kMaxFleetCount, out.maxFailures, true) ||
        !read.Boolean("force", out.force) || !read.Boolean("check", out.check) ||
        !read.Integer("verify_timeout_s", 1, RunModeOptions::kMaxVerifySeconds,
                      out.verifyTimeoutSeconds) ||
        !read.Text("log_dir", out.logDir) || !read.Text("in_call", policy) ||
        !read.Integer("in_call_timeout_s", 1, RunModeOptions::kMaxInCallSeconds,
                      out.inCallTimeoutSeconds) ||
        !read.Integer("retry_failed", 0, kMaxRetries, out.retryFailed) ||
        !read.Text("window", window, true) || !read.Texts("system_options", out.commonOptions))
        return false;
    if (out.check) {
        error = "it is the report of a check, which has nothing to resume";
        return false;
    }
    if (out.logDir.empty() || !RunModeOptions::ParseCallPolicy(policy, out.inCall))
        return read.Fail(out.logDir.empty() ? "log_dir" : "in_call");
    std::string why;
    if (!window.empty() && !MaintenanceWindow::Parse(window, out.window, why))
        return read.Fail("window");
    // The earlier flags are checked again as a command line's would be: the file may have
    // been edited, and a "-p:" must never come from it.
    for (const std::string& option : out.commonOptions) {
        if (!FleetSystemArguments::Refusal(option, FleetSystemArguments::Origin::kCommandLine)
                 .empty() ||
            option.empty() || option[0] != '-')
            return read.Fail("system_options");
    }
    if (!FleetSystemArguments::CheckCommon(out.commonOptions, why))
        return read.Fail("system_options");
    return true;
}

bool KnownResult(const std::string& code) {
    for (SystemResult result :
         {SystemResult::kSucceeded, SystemResult::kFailed, SystemResult::kUpToDate,
          SystemResult::kSkipped, SystemResult::kNotStarted, SystemResult::kInterrupted,
          SystemResult::kInCall}) {
        if (code == FleetReport::ResultCode(result)) return true;
    }
    return false;
}

bool ReadSystems(const Json& systems, std::vector<FleetResume::Earlier>& out, std::string& error) {
    if (!systems.is_array() || systems.size() > FleetInventory::kMaxSystems) {
        error = "its \"systems\" is not a list of at most " +
                std::to_string(FleetInventory::kMaxSystems) + " systems";
        return false;
    }
    for (const Json& system : systems) {
        FleetResume::Earlier earlier;
        std::string refused;
        if (!system.is_object() || !FieldReader(system, refused).Text("address", earlier.address) ||
            !FieldReader(system, refused).Text("result", earlier.result) ||
            !CommandLine::IsAddress(earlier.address) || !KnownResult(earlier.result)) {
            error = "system " + std::to_string(out.size() + 1) +
                    " of its list has no usable address or result";
            return false;
        }
        out.push_back(std::move(earlier));
    }
    return true;
}

std::string Key(const std::string& address) {
    return platform::SystemKey::Of(address, kFtpPort);
}

}  // namespace

bool FleetResume::Read(const std::string& path, Document& out, std::string& error) {
    const auto place = platform::PathFromUtf8(path);
    std::error_code failed;
    const auto status = std::filesystem::status(place, failed);
    const std::string shown = text::ForLog(path, 300);
    if (failed || !std::filesystem::is_regular_file(status)) {
        error = "--resume: " + shown + " is not a report file";
        return false;
    }
    const auto size = std::filesystem::file_size(place, failed);
    if (failed || size > kMaxBytes) {
        error = "--resume: " + shown + " is larger than any fleet report (" +
                std::to_string(kMaxBytes / (std::size_t{1024} * 1024)) + " MB at most)";
        return false;
    }
    std::ifstream file(place, std::ios::binary);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!file.read(text.data(), static_cast<std::streamsize>(text.size()))) {
        error = "--resume: " + shown + " cannot be read";
        return false;
    }
    if (!Parse(text, out, error)) {
        error = "--resume: " + shown + " is refused: " + error;
        return false;
    }
    return true;
}

bool FleetResume::Parse(const std::string& text, Document& out, std::string& error) {
    out = Document{};
    Json json;
    if (text.size() > kMaxBytes || !ParseStrict(text, json, error)) {
        if (error.empty()) error = "it is larger than any fleet report";
        return false;
    }
    const Json* kind = json.is_object() ? Field(json, "kind") : nullptr;
    const Json* version = json.is_object() ? Field(json, "schema_version") : nullptr;
    if (kind == nullptr || *kind != "fleet" || version == nullptr || *version != 1) {
        error = "it is not a fleet report (kind \"fleet\", schema_version 1)";
        return false;
    }
    const Json* options = Field(json, "options");
    const Json* systems = Field(json, "systems");
    if (options == nullptr || systems == nullptr) {
        error = "it has no options or no systems";
        return false;
    }
    return ReadOptions(*options, out.options, error) && ReadSystems(*systems, out.systems, error);
}

void FleetResume::MergeOptions(const Document& earlier, FleetOptions& options) {
    const FleetOptions& was = earlier.options;
    const auto given = [&options](const char* name) { return options.given.count(name) > 0; };
    if (!given("-j")) options.jobs = was.jobs;
    if (!given("--canary")) options.canary = was.canary;
    if (!given("--max-failures")) options.maxFailures = was.maxFailures;
    if (!given("--force")) options.force = was.force;
    if (!given("--verify-timeout")) options.verifyTimeoutSeconds = was.verifyTimeoutSeconds;
    if (!given("--log-dir")) options.logDir = was.logDir;
    if (!given("--in-call")) options.inCall = was.inCall;
    if (!given("--in-call-timeout")) options.inCallTimeoutSeconds = was.inCallTimeoutSeconds;
    if (!given("--retry-failed")) options.retryFailed = was.retryFailed;
    if (!given("--window")) options.window = was.window;
    if (options.commonOptions.empty()) options.commonOptions = was.commonOptions;
}

bool FleetResume::MatchSystems(const Document& earlier, std::vector<FleetSystem>& systems,
                               std::string& error) {
    std::map<std::string, const Earlier*> byKey;
    std::vector<std::string> faults;
    for (const Earlier& system : earlier.systems) {
        if (!byKey.emplace(Key(system.address), &system).second)
            faults.push_back("the report names " + text::ForLog(system.address, 80) + " twice");
    }
    std::set<std::string> matched;
    for (FleetSystem& system : systems) {
        const auto found = byKey.find(Key(system.address));
        if (found == byKey.end()) {
            faults.push_back("line " + std::to_string(system.line) + ": " +
                             text::ForLog(system.address, 80) + " is not in the report");
            continue;
        }
        matched.insert(found->first);
        const std::string& result = found->second->result;
        if (result == "succeeded" || result == "up_to_date") system.earlierResult = result;
    }
    for (const Earlier& system : earlier.systems) {
        if (matched.count(Key(system.address)) == 0)
            faults.push_back("the report's " + text::ForLog(system.address, 80) +
                             " is not in the inventory");
    }
    if (faults.empty()) return true;
    error =
        "--resume: the inventory and the earlier report do not name the same systems; "
        "resume with the inventory the report was made from:";
    const std::size_t shown = std::min(faults.size(), kMaxListedErrors);
    for (std::size_t i = 0; i < shown; ++i) error += "\n" + faults[i];
    if (faults.size() > shown)
        error += "\n(and " + std::to_string(faults.size() - shown) + " more)";
    return false;
}

}  // namespace quillmarch::fleet
