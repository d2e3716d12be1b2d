// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The small texts a system answers with: FLAG replies and model.dat (model identification),
// webaccessport.dat and confstatus.xml.
#include "core/catalogue/ModelCatalogue.h"
#include "core/link/SystemWebClient.h"
#include "tests/fuzz/FuzzInput.h"

using namespace quillmarch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ModelCatalogue catalogue = [] {
        ModelCatalogue built;
        built.Build();
        return built;
    }();
    const std::string text = fuzz::Text(data, size);
    const int type = catalogue.Identify(text);
    fuzz::Require(type >= 0 && type <= ModelCatalogue::kUnknown);
    const int port = SystemWebClient::PortFromText(text);
    fuzz::Require(port >= 1 && port <= 65535);
    // Any reply: no crash, no read past its end (the sanitizers judge).
    static_cast<void>(SystemWebClient::LineSpeedShowsCall(text));
    static_cast<void>(SystemWebClient::NotificationBody(text));
    return 0;
}
