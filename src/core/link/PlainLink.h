// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "core/link/SessionLink.h"

namespace quillmarch {

// Plain FTP: port 21 unless the address names another.
class PlainLink : public SessionLink {
public:
    explicit PlainLink(RunContext& app);
};

}  // namespace quillmarch
