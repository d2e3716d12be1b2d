// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetInventory.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/fleet/CsvReader.h"
#include "cli/fleet/FleetSystemArguments.h"
#include "core/job/CommandLine.h"
#include "core/platform/Platform.h"
#include "core/platform/SystemKey.h"
#include "core/util/AddressNames.h"
#include "core/util/TextUtil.h"

namespace quillmarch::fleet {

namespace {

enum Column { kAddress, kName, kOptions, kPassword, kColumnCount };

constexpr std::array<std::string_view, kColumnCount> kColumnNames = {"address", "name", "options",
                                                                     "password"};
constexpr int kDefaultFtpPort = 21;

// Column of each header field, -1 for a column not read.
using ColumnMap = std::vector<int>;

std::vector<std::string> SplitBlanks(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

bool HasControl(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](unsigned char c) { return c < 0x20 || c == 0x7f; });
}

// One inventory's reading: where it is, what it found, what went wrong.
class InventoryReader {
public:
    InventoryReader(const std::string& shownPath, const std::vector<std::string>& common,
                    Inventory& out, std::vector<std::string>& errors)
        : m_path(text::ForLog(shownPath, 200)), m_common(common), m_out(out), m_errors(errors) {}

    bool Read(std::string_view contents) {
        CsvReader reader(contents, CsvReader::DetectSeparator(contents));
        CsvRecord record;
        std::string error;
        if (!reader.Next(record, error)) {
            Fault(record.line, error.empty() ? "no header row; the first line names the "
                                               "columns, e.g. address,name,options,password"
                                             : error);
            return false;
        }
        if (!Header(record)) return false;
        while (reader.Next(record, error)) {
            if (m_out.systems.size() + m_refused >= FleetInventory::kMaxSystems) {
                Fault(record.line, "more than " + std::to_string(FleetInventory::kMaxSystems) +
                                       " systems; split the fleet into several files");
                return false;
            }
            Row(record);
        }
        if (!error.empty()) Fault(record.line, error);
        if (m_errors.empty() && m_out.systems.empty()) Fault(0, "no systems, only the header");
        return m_errors.empty();
    }

private:
    void Fault(int line, const std::string& why) {
        m_errors.push_back(m_path + (line > 0 ? ":" + std::to_string(line) : "") + ": " + why);
    }

    bool Header(const CsvRecord& record) {
        m_columns.assign(record.fields.size(), -1);
        std::array<bool, kColumnCount> seen{};
        for (std::size_t i = 0; i < record.fields.size(); ++i) {
            const std::string written = text::Trim(record.fields[i]);
            const std::string name = text::Lower(written);
            if (name.empty()) continue;  // spreadsheets export trailing empty columns
            const auto found = std::find(kColumnNames.begin(), kColumnNames.end(), name);
            if (found == kColumnNames.end()) {
                Fault(record.line, "unknown column \"" + text::ForLog(written, 64) +
                                       "\"; the columns are address, name, options, password");
                continue;
            }
            const int column = static_cast<int>(found - kColumnNames.begin());
            if (seen[column]) Fault(record.line, "column \"" + name + "\" is named twice");
            seen[column] = true;
            m_columns[i] = column;
        }
        if (!seen[kAddress]) Fault(record.line, "the header has no \"address\" column");
        m_out.hasPasswordColumn = seen[kPassword];
        return m_errors.empty();
    }

    void Row(const CsvRecord& record) {
        if (record.fields.size() > m_columns.size()) {
            ++m_refused;
            return Fault(record.line, std::to_string(record.fields.size()) +
                                          " fields, but the header names " +
                                          std::to_string(m_columns.size()));
        }
        std::array<std::string, kColumnCount> values;
        std::array<bool, kColumnCount> quoted{};
        for (std::size_t i = 0; i < record.fields.size(); ++i) {
            if (m_columns[i] >= 0) {
                values[m_columns[i]] = record.fields[i];
                quoted[m_columns[i]] = i < record.quoted.size() && record.quoted[i];
            } else if (!text::Trim(record.fields[i]).empty()) {
                ++m_refused;
                return Fault(record.line, "field " + std::to_string(i + 1) +
                                              " holds a value, but the header names no column "
                                              "there");
            }
        }
        FleetSystem system;
        system.line = record.line;
        system.address = text::Trim(values[kAddress]);
        system.name = text::Trim(values[kName]);
        system.options = SplitBlanks(values[kOptions]);
        system.password = values[kPassword];  // byte for byte: blanks may belong to it
        system.rowPassword = !system.password.empty() || quoted[kPassword];
        const std::string why = Check(system);
        if (!why.empty()) {
            ++m_refused;
            return Fault(record.line, why);
        }
        if (system.name.empty()) system.name = system.address;
        m_out.systems.push_back(std::move(system));
    }

    // Empty when the row may run; otherwise why not. Remembers the address for duplicates.
    std::string Check(const FleetSystem& system) {
        if (system.address.empty()) return "no address";
        if (system.name.size() > FleetInventory::kMaxName)
            return "the name is longer than " + std::to_string(FleetInventory::kMaxName) + " bytes";
        // Names reach terminals and logs; a control character there could fake output.
        if (HasControl(system.name)) return "the name holds a control character or line break";
        if (system.password.size() > CommandLine::kMaxPassword)
            return "the password is longer than " + std::to_string(CommandLine::kMaxPassword) +
                   " characters";
        std::string error;
        if (!FleetSystemArguments::CheckRow(m_common, system.options, system.address, error))
            return error;
        const auto [at, added] =
            m_lines.emplace(FleetInventory::AddressKey(system.address), system.line);
        if (!added)
            return "address \"" + text::ForLog(system.address, 64) + "\" is already on line " +
                   std::to_string(at->second);
        return {};
    }

    std::string m_path;
    const std::vector<std::string>& m_common;
    Inventory& m_out;
    std::vector<std::string>& m_errors;
    ColumnMap m_columns;
    std::map<std::string, int> m_lines;  // address key -> line of its first row
    std::size_t m_refused = 0;
};

}  // namespace

bool FleetInventory::Read(const std::string& path, const std::vector<std::string>& commonOptions,
                          Inventory& out, std::vector<std::string>& errors) {
    const std::string shown = text::ForLog(path, 200);
    // A pipe or a device could keep the open or the read waiting for ever.
    std::error_code ignored;
    const auto status = std::filesystem::status(platform::PathFromUtf8(path), ignored);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        errors.push_back(shown + ": not a plain file");
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        errors.push_back(shown + ": cannot be read");
        return false;
    }
    std::string contents(kMaxFileBytes + 1, '\0');
    in.read(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (in.bad()) {
        errors.push_back(shown + ": cannot be read");
        return false;
    }
    contents.resize(static_cast<std::size_t>(in.gcount()));
    if (contents.size() > kMaxFileBytes) {
        errors.push_back(shown + ": larger than " +
                         std::to_string(kMaxFileBytes / (std::size_t{1024} * 1024)) +
                         " MB; split the fleet into several files");
        return false;
    }
    return Parse(contents, path, commonOptions, out, errors);
}

bool FleetInventory::Parse(std::string_view contents, const std::string& shownPath,
                           const std::vector<std::string>& commonOptions, Inventory& out,
                           std::vector<std::string>& errors) {
    out = Inventory{};
    return InventoryReader(shownPath, commonOptions, out, errors).Read(contents);
}

std::string FleetInventory::AddressKey(const std::string& address) {
    // Two spellings of one system (localhost:P and 127.0.0.1:P) are one row twice.
    return platform::SystemKey::Of(address, kDefaultFtpPort);
}

}  // namespace quillmarch::fleet
