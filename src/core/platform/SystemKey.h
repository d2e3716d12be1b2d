// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch::platform {

// One key per system, however its address is spelled: 127.0.0.1, 127.1, 2130706433,
// localhost and [::ffff:127.0.0.1] with the same port (the default one when none is given) are
// one system. Numeric forms are read as the system reads them, without DNS; a DNS name keys on
// its lower-cased text (two names of one system are not told apart).
class SystemKey {
public:
    static std::string Of(const std::string& address, int defaultPort);

private:
    static std::string Numeric(const std::string& host);
    static std::string ResolvedHost(const std::string& host);
};

}  // namespace quillmarch::platform
