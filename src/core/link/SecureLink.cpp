// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/link/SecureLink.h"

namespace quillmarch {

SecureLink::SecureLink(RunContext& app) : SessionLink(app, true) {
    // Implicit TLS; a constant port in range cannot be refused.
    static_cast<void>(FtpSession::SetRemotePort(990));
}

}  // namespace quillmarch
