// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/support/ProgressTestApp.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#include "support/FakeLink.h"
#include "support/FakeSystemWiring.h"

namespace quillmarch::test {

namespace fs = std::filesystem;

CProgressTestApp::CProgressTestApp() {
    std::random_device random;
    m_dir = fs::temp_directory_path() / ("qm-progress-" + std::to_string(random()));
    fs::create_directories(m_dir);
    m_app = std::make_unique<RunContext>(m_clock, m_router);
    WireToFakeSystem(*m_app, m_system, m_dir);
    m_app->Job().target.address = "127.0.0.1";  // loopback, should anything reach the network
    m_app->Job().target.password = "secret";
    m_app->Job().options.quiet = false;
    // No web server behind the fake: the run's notice stops at the enabled check.
    m_system.files["webenabled.dat"] = "False";
    m_system.files["gateway.dat"] = " 10.0.0.1 \n";
    // What the verification after the image reads: the version this program installs.
    m_system.files["systemsoftwareversion.dat"] = kSampleVersion;
}

CProgressTestApp::~CProgressTestApp() {
    m_app.reset();
    std::error_code ec;
    fs::remove_all(m_dir, ec);
}

void CProgressTestApp::StartLog() {
    m_app->StartLog((m_dir / "run.log").string());
}

std::vector<std::string> CProgressTestApp::LogRecords() {
    m_app->m_log.Close();
    std::ifstream in(m_dir / "run.log", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    static const std::regex stamp(R"((^|\n)\d\d/\d\d/\d\d \d\d:\d\d:\d\d : )");
    std::vector<std::pair<std::size_t, std::size_t>> marks;  // record start, stamp start
    for (std::sregex_iterator it(all.begin(), all.end(), stamp), end; it != end; ++it) {
        marks.emplace_back(static_cast<std::size_t>(it->position() + it->length()),
                           static_cast<std::size_t>(it->position()));
    }
    std::vector<std::string> records;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const std::size_t stop = i + 1 < marks.size() ? marks[i + 1].second : all.size();
        std::string record = all.substr(marks[i].first, stop - marks[i].first);
        if (!record.empty() && record.back() == '\n') record.pop_back();
        records.push_back(record);
    }
    return records;
}

int CProgressTestApp::CountLogged(const std::string& text) {
    const std::vector<std::string> records = LogRecords();
    return static_cast<int>(std::count(records.begin(), records.end(), text));
}

}  // namespace quillmarch::test
