// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch {

class RunContext;

// The password of a single run or check, in this order: -p:PASSWORD (visible to other local
// users in the process list), --password-file FILE (its first line; the file must be private),
// the environment variable QUILLMARCH_PASSWORD, a prompt without echo when standard input is a
// terminal and the run may ask (not -q), else none (the empty password, as always). -p: together
// with --password-file is refused: one run takes its password one way.
class RunPassword {
public:
    static bool Resolve(RunContext& app, std::string& error);
};

}  // namespace quillmarch
