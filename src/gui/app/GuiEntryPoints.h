// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "cli/GuiHooks.h"

namespace quillmarch {

// The GUI library's entry points for the executable.
GuiHooks MakeGuiHooks();

}  // namespace quillmarch
