// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/link/PlainLink.h"

namespace quillmarch {

PlainLink::PlainLink(RunContext& app) : SessionLink(app, false) {}

}  // namespace quillmarch
