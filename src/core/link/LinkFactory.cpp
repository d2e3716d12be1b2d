// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/link/LinkFactory.h"

#include "core/link/FtpSession.h"
#include "core/link/PlainLink.h"
#include "core/link/SecureLink.h"

namespace quillmarch {

std::unique_ptr<DeviceLink> MakeComponentLink(RunContext& app, bool secure) {
    if (!FtpSession::IsAvailable(secure)) return nullptr;
    if (secure) return std::make_unique<SecureLink>(app);
    return std::make_unique<PlainLink>(app);
}

}  // namespace quillmarch
