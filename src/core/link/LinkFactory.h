// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>

namespace quillmarch {

class DeviceLink;
class RunContext;

// The links on the built-in FTP component: SecureLink when `secure`, else PlainLink.
// Null when the component cannot be set up (libcurl missing a protocol, say).
std::unique_ptr<DeviceLink> MakeComponentLink(RunContext& app, bool secure);

}  // namespace quillmarch
