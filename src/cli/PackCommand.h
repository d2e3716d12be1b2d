// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

namespace quillmarch {

// The image pack commands that touch no system:
//   --make-manifest DIR --image-version TEXT [--pack-name TEXT]  writes DIR/manifest.json
//   --check-images DIR [--require-signed] [--trusted-key FILE]   checks every listed image
class PackCommand {
public:
    static bool Wanted(const std::vector<std::string>& args);
    // Exit code: 0 done / pack good, 1 a pack with a fault, 2 bad command line.
    static int Main(const std::vector<std::string>& args);
};

}  // namespace quillmarch
