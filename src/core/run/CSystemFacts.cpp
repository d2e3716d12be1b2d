#include "core/run/CSystemFacts.h"

#include <cctype>

#include "core/app/CQuillmarch6App.h"
#include "core/app/TextUtil.h"

namespace quillmarch {

namespace {

struct SFactRow {
    const char* label;
    const char* file;
};

// The system page's rows ("Model" is inserted second).
constexpr SFactRow kFactRows[] = {
    {"System Name", "sysname.dat"},        {"IP Address", "ipaddress.dat"},
    {"WAN Address", "natoutside.dat"},     {"Interface", "interface.dat"},
    {"Serial Number", "serialnumber.dat"}, {"Number 1", "directorynum0_0_0.dat"},
    {"Number 2", "directorynum0_0_1.dat"}, {"SW Version", CSystemFacts::kVersionFile},
};

std::string ReadFile(CQuillmarch6App& app, const char* name) {
    std::string text;
    if (!app.m_pLink || !app.m_pLink->DownloadToString(name, text, filelimit::kValueFileBytes))
        return {};
    return text;
}

}  // namespace

std::string CSystemFacts::Clean(const std::string& text) {
    std::string cleaned = text::Trim(text);
    for (char& c : cleaned) {
        const bool kept = std::isalnum(static_cast<unsigned char>(c)) && !(c & 0x80);
        if (!kept && c != '.' && c != '_' && c != ':') c = ' ';
    }
    return cleaned;
}

std::string CSystemFacts::ModelName(const CQuillmarch6App& app) {
    const int type = app.m_nSystemType;
    if (type < 0 || type >= CSystemInformationArray::kRowCount ||
        app.m_catalogue.GetSize() != CSystemInformationArray::kRowCount)
        return {};
    return app.m_catalogue.GetAt(type).DisplayName();
}

SSystemFacts CSystemFacts::Read(CQuillmarch6App& app) {
    SSystemFacts facts;
    if (!app.m_pLink || !app.m_pLink->IsLoggedOn()) return facts;
    facts.known = true;
    facts.model = ModelName(app);
    facts.mode = app.m_pLink->IsNormalMode() ? "NORMAL" : "BOOTUI";
    facts.softwareVersion = text::Trim(ReadFile(app, kVersionFile));
    return facts;
}

std::vector<std::pair<std::string, std::string>> CSystemFacts::Table(CQuillmarch6App& app) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const SFactRow& row : kFactRows) {
        rows.emplace_back(row.label, Clean(ReadFile(app, row.file)));
        if (rows.size() == 1) rows.emplace_back("Model", ModelName(app));
    }
    return rows;
}

std::string CSystemFacts::InstalledVersion(const CQuillmarch6App& app) {
    return app.m_imageCatalogue.GetEntry("MainSoftware", "Version", nullptr);
}

std::string CSystemFacts::ImageName(const CQuillmarch6App& app) {
    const int type = app.m_nSystemType;
    if (type < 0 || type >= CSystemInformationArray::kRowCount) return {};
    std::uint16_t id = 0;
    const std::string name = app.m_imageCatalogue.GetEntry(
        "MainSoftware", app.m_catalogue.GetAt(type).MainImageEntry(), &id);
    return id == 0 ? std::string() : name;
}

bool CSystemFacts::IsInstalledVersion(const CQuillmarch6App& app, const std::string& systemText) {
    const std::string shown = Clean(systemText);
    return !shown.empty() && shown == Clean(InstalledVersion(app));
}

}  // namespace quillmarch
