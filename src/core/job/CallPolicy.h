// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace quillmarch {

// What a run does with a system that is in a call when it is about to change it: go on and end
// the call, leave the system alone, or wait for the call to end.
enum class CallPolicy { kBreak, kSkip, kWait };

}  // namespace quillmarch
