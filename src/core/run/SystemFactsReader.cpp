// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/run/SystemFactsReader.h"

#include <cctype>
#include <optional>
#include <string_view>
#include <utility>

#include "core/device/SystemConnector.h"
#include "core/job/RunContext.h"
#include "core/pack/ImageCheck.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

struct FactRow {
    const char* label;
    const char* file;
};

// The system page's rows ("Model" is inserted second).
constexpr FactRow kFactRows[] = {
    {"System Name", "sysname.dat"},        {"IP Address", "ipaddress.dat"},
    {"WAN Address", "natoutside.dat"},     {"Interface", "interface.dat"},
    {"Serial Number", "serialnumber.dat"}, {"Number 1", "directorynum0_0_0.dat"},
    {"Number 2", "directorynum0_0_1.dat"}, {"SW Version", SystemFactsReader::kVersionFile},
};

// Longest fact shown in the table: a real one is a line.
constexpr std::size_t kShownBytes = 200;

// One fact at a time: a file the system cannot or will not send costs that fact only. A read
// that failed for another reason than a missing file may have left the session unusable (an
// aborted transfer), so the next read starts on a session of its own.
std::optional<std::string> ReadFile(RunContext& app, const char* name) {
    DeviceLink* link = app.m_link.get();
    if (!link) return std::nullopt;
    if (!link->IsLoggedOn() && !SystemConnector(app).ConnectToSystem("", "")) return std::nullopt;
    std::string text;
    if (link->DownloadToString(name, text, filelimit::kValueFileBytes)) return text;
    const bool missing = link->GetLastReply().rfind("550", 0) == 0;
    app.WriteLog(std::string("Could not read ") + name + " from the system" +
                     (missing ? ": it has no such file" : ""),
                 0);
    if (!missing) link->Disconnect();
    return std::nullopt;
}

}  // namespace

std::string SystemFactsReader::Clean(const std::string& text) {
    std::string cleaned = text::Trim(text);
    for (char& c : cleaned) {
        const bool kept = std::isalnum(static_cast<unsigned char>(c)) && !(c & 0x80);
        if (!kept && c != '.' && c != '_' && c != ':') c = ' ';
    }
    return cleaned;
}

std::string SystemFactsReader::ModelName(const UpdateJob& job, const ModelCatalogue& models) {
    const int type = job.target.systemType;
    if (type < 0 || type >= ModelCatalogue::kRowCount ||
        models.GetSize() != ModelCatalogue::kRowCount)
        return {};
    return models.GetAt(type).DisplayName();
}

SystemFacts SystemFactsReader::Read(RunContext& app) {
    SystemFacts facts;
    if (!app.m_link || !app.m_link->IsLoggedOn()) return facts;
    facts.known = true;
    facts.model = ModelName(app.Job(), app.Catalogue());
    facts.mode = app.m_link->IsNormalMode() ? "NORMAL" : "BOOTUI";
    const auto version = ReadFile(app, kVersionFile);
    facts.versionRead = version.has_value();
    facts.softwareVersion = version ? text::Trim(*version) : std::string();
    return facts;
}

std::vector<std::pair<std::string, std::string>> SystemFactsReader::Table(
    RunContext& app, const SystemFacts& facts) {
    std::vector<std::pair<std::string, std::string>> rows;
    // Each read is bounded on its own; a system that stalls every one of them would still hold
    // the check for ten minutes, so the table as a whole has a bound too.
    const auto deadline = app.Clock().Now() + kTableBudget;
    bool told = false;
    for (const FactRow& row : kFactRows) {
        std::optional<std::string> value;
        if (std::string_view(row.file) == kVersionFile) {
            if (facts.versionRead) value = facts.softwareVersion;
        } else if (app.Clock().Now() < deadline) {
            value = ReadFile(app, row.file);
        } else if (!std::exchange(told, true)) {
            app.WriteLog("Stopped reading the system's facts: they took longer than " +
                             std::to_string(kTableBudget.count() / 1000) + " s",
                         0);
        }
        // The system's own words as it sent them (the table makes control characters visible).
        rows.emplace_back(
            row.label, value ? text::Trim(*value).substr(0, kShownBytes) : std::string(kUnknown));
        if (rows.size() == 1) rows.emplace_back("Model", ModelName(app.Job(), app.Catalogue()));
    }
    return rows;
}

std::string SystemFactsReader::InstalledVersion(const RunContext& app) {
    return ImageCheck::PackVersion(app);
}

std::string SystemFactsReader::ImageName(const UpdateJob& job, const ModelCatalogue& models,
                                         const ImageCatalogue& images) {
    const int type = job.target.systemType;
    if (type < 0 || type >= ModelCatalogue::kRowCount) return {};
    std::uint16_t id = 0;
    const std::string name =
        images.GetEntry("MainSoftware", models.GetAt(type).MainImageEntry(), &id);
    return id == 0 ? std::string() : name;
}

bool SystemFactsReader::IsInstalledVersion(const RunContext& app, const std::string& systemText) {
    const std::string shown = Clean(systemText);
    return !shown.empty() && shown == Clean(InstalledVersion(app));
}

}  // namespace quillmarch
