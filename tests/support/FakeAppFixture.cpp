// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/FakeAppFixture.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#include "support/FakeSystemWiring.h"

namespace quillmarch::test {

namespace fs = std::filesystem;

void FakeAppFixture::SetUp() {
    std::random_device random;
    m_dir = fs::temp_directory_path() / ("qm-unit-" + std::to_string(random()));
    fs::create_directories(m_dir);
    m_app = std::make_unique<RunContext>(m_clock, m_box);
    WireToFakeSystem(*m_app, m_system, m_dir);
    m_app->Job().target.address = "127.0.0.1";  // loopback, should anything reach the network
    m_app->Job().target.password = "secret";
    m_app->Job().options.quiet = true;
    // No web server behind the fake: the run's notice stops at the enabled check.
    m_system.files["webenabled.dat"] = "False";
    m_system.files["gateway.dat"] = " 10.0.0.1 \n";
}

void FakeAppFixture::TearDown() {
    m_app.reset();
    std::error_code ec;
    fs::remove_all(m_dir, ec);
}

void FakeAppFixture::StartLog() {
    m_app->StartLog((m_dir / "run.log").string());
}

std::vector<std::string> FakeAppFixture::LogRecords() {
    m_app->m_log.Close();
    std::ifstream in(m_dir / "run.log", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    static const std::regex stamp(R"((^|\n)\d\d/\d\d/\d\d \d\d:\d\d:\d\d : )");
    std::vector<std::string> records;
    std::sregex_iterator it(all.begin(), all.end(), stamp), end;
    std::vector<std::pair<size_t, size_t>> marks;  // record text start, match start
    for (; it != end; ++it) {
        marks.emplace_back(it->position() + it->length(), it->position());
    }
    for (size_t i = 0; i < marks.size(); ++i) {
        const size_t stop = i + 1 < marks.size() ? marks[i + 1].second : all.size();
        std::string record = all.substr(marks[i].first, stop - marks[i].first);
        if (!record.empty() && record.back() == '\n') record.pop_back();
        records.push_back(record);
    }
    m_records = records;
    return records;
}

bool FakeAppFixture::Logged(const std::string& text) {
    return CountLogged(text) > 0;
}

int FakeAppFixture::CountLogged(const std::string& text) {
    if (m_app->m_log.IsOpen() || m_records.empty()) LogRecords();
    return static_cast<int>(std::count(m_records.begin(), m_records.end(), text));
}

void FakeAppFixture::UseWindow() {
    m_factory = std::make_unique<ScriptedWindowFactory>(m_window);
    m_app->SetProgressWindowFactory(m_factory.get());
    m_app->Job().options.quiet = false;
}

std::string FakeAppFixture::WorkDir() const {
    return m_app->m_link->GetWorkDirectory();
}

}  // namespace quillmarch::test
