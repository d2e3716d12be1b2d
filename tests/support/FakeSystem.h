// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace quillmarch::test {

// The state of a pretend Tessary system behind FakeLink: its files, its mode, what it was sent.
// Tests script it (logon answers, restarts that fail) and assert on its journal.
struct FakeSystem {
    std::map<std::string, std::string> files;
    std::string modelText = "KDV 18 9.0";
    std::string flagOverride;  // a reply text instead of "NORMAL <model>"
    bool normalMode = true;
    bool swusPending = false;
    bool swusIgnored = false;  // restarts come back in normal mode
    bool connected = false;

    // Logon answers: codes consumed one per attempt; empty = 0 (success).
    std::vector<int> logonCodes;
    // Logon attempts after a restart that still find the system away (answer 10061).
    int attemptsAwayAfterRestart = 0;
    int awayLeft = 0;
    // Looks of the bare-connection probe after a restart that find the system away (a restart
    // wait looks every quarter second: 3 is a system back after a second); -1: never back.
    int probesAwayAfterRestart = 3;
    int probeAwayLeft = 0;
    int probes = 0;
    // Raw commands that fail as if the connection were gone.
    std::vector<std::string> failingCommands;
    // Uploads that fail (by remote name).
    std::vector<std::string> failingUploads;
    // Uploads that drop the connection half way, leaving half the file: name -> how often.
    std::map<std::string, int> droppedUploads;
    // Downloads that fail midway (by remote name), as a broken data connection would.
    std::vector<std::string> failingDownloads;
    bool listingFails = false;
    // Called with every raw command the system receives (before it acts on it).
    std::function<void(const std::string&)> onCommand;
    // Called with the remote name of every download before it is answered.
    std::function<void(const std::string&)> onDownload;

    // Journal.
    std::vector<std::string> commands;
    std::vector<std::pair<std::string, std::string>> uploads;  // name, content
    std::vector<std::string> downloads;
    int logons = 0;
    int restarts = 0;

    void Restart();
    // The probe's look: false while a restart keeps the system away.
    bool ProbeAnswers();
    int CountCommand(const std::string& command) const;
    std::vector<std::string> UploadNames() const;
};

}  // namespace quillmarch::test
