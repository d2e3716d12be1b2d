// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Addresses as an operator or an inventory types them: host, host:port, [v6]:port, bare v6.
#include "core/link/FtpHelpers.h"
#include "core/util/AddressNames.h"
#include "tests/fuzz/FuzzInput.h"

using namespace quillmarch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = fuzz::Text(data, size);
    const address::HostPort split = address::SplitHostPort(text);
    fuzz::Require(split.port >= 0 && split.port <= 65535);
    // A valid host can never change the URL it is put into.
    if (split.valid && ftp::ValidHost(split.host)) {
        fuzz::Require(split.host.find_first_of("/?#@ \r\n") == std::string::npos);
    }
    // A local name is one plain file name on every platform.
    const std::string local = address::LocalName(text);
    fuzz::Require(local.find_first_of("/\\:*?\"<>|") == std::string::npos);
    for (const unsigned char c : local) fuzz::Require(c >= 0x20);  // what Windows refuses
    address::Normalise(text);
    return 0;
}
