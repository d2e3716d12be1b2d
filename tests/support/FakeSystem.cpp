// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/FakeSystem.h"

#include <algorithm>

namespace quillmarch::test {

void FakeSystem::Restart() {
    connected = false;
    ++restarts;
    normalMode = !(swusPending && !swusIgnored);
    swusPending = false;
    awayLeft = attemptsAwayAfterRestart;
    probeAwayLeft = probesAwayAfterRestart;
}

bool FakeSystem::ProbeAnswers() {
    ++probes;
    if (probeAwayLeft < 0) return false;
    if (probeAwayLeft == 0) return true;
    --probeAwayLeft;
    return false;
}

int FakeSystem::CountCommand(const std::string& command) const {
    return static_cast<int>(std::count(commands.begin(), commands.end(), command));
}

std::vector<std::string> FakeSystem::UploadNames() const {
    std::vector<std::string> names;
    for (const auto& upload : uploads) names.push_back(upload.first);
    return names;
}

}  // namespace quillmarch::test
