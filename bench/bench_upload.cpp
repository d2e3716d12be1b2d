// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Times one image upload through the device link, the way a run sends the main image:
// logon, then UploadBuffer (work file, send-buffer size, upload). Prints JSON.
#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/job/RunContext.h"
#include "core/ui/ConsoleMessageBox.h"
#include "core/util/RealClock.h"

using namespace quillmarch;

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s ADDRESS PASSWORD FILE REMOTE_NAME WORKDIR\n", argv[0]);
        return 2;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    std::ifstream in(argv[3], std::ios::binary);
    const std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    RealClock clock;
    ConsoleMessageBox box;
    RunContext app(clock, box);
    app.m_helpFilePath = std::string(argv[5]) + "/Quillmarch.hlp";
    app.BuildCatalogue();
    if (!app.CreateLink(false) || !app.m_link->LogonToSystem(argv[1], "admin", argv[2])) {
        std::fprintf(stderr, "logon failed: %s\n",
                     app.m_link ? app.m_link->GetLastErrorText().c_str() : "");
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const bool ok = app.m_link->UploadBuffer(argv[4], image.data(), image.size(), 0);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    app.m_link->Disconnect();
    std::printf("{\"ok\": %s, \"bytes\": %zu, \"seconds\": %.4f}\n", ok ? "true" : "false",
                image.size(), std::chrono::duration<double>(elapsed).count());
    return ok ? 0 : 1;
}
