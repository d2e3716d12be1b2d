// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One line of a system's long directory listing.
#include "core/link/FtpHelpers.h"
#include "core/link/PlainFileName.h"
#include "tests/fuzz/FuzzInput.h"

using namespace quillmarch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The listing is cut into lines at each line feed before a line is read.
    std::string line = fuzz::Text(data, size);
    line = line.substr(0, line.find('\n'));
    const std::string name = ftp::ListingName(line);
    fuzz::Require(name.size() <= line.size());
    fuzz::Require(name.find('\n') == std::string::npos);
    // A name fetched into the work folder can never leave it.
    if (ftp::IsPlainFileName(name)) {
        fuzz::Require(name != "." && name != ".." && name.size() <= ftp::kMaxFileNameBytes);
        fuzz::Require(name.find_first_of("/\\:") == std::string::npos);
        fuzz::Require(!fuzz::HasControlCharacter(name));
    }
    return 0;
}
