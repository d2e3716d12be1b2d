// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "core/link/SessionLink.h"

namespace quillmarch {

// FTP over implicit TLS: port 990 unless the address names another; the system's certificate
// is accepted whatever its status.
class SecureLink : public SessionLink {
public:
    explicit SecureLink(RunContext& app);
};

}  // namespace quillmarch
