// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "core/catalogue/ModelCatalogue.h"
#include "core/job/CallPolicy.h"
#include "core/pack/ImagePack.h"

namespace quillmarch {

// What one update of one system needs: the operator's choices and what was read from the
// system. A plain value, copied freely; the services that carry it out live in the run context.
struct UpdateJob {
    // The system and how to reach it.
    struct Target {
        std::string address;
        std::string systemName;
        std::string password;
        int systemType = ModelCatalogue::kUnknown;
        std::string softwareBefore;  // the version text the system reported when the run began
        bool passiveMode = false;    // passive FTP transfers
    };

    // What the run does to the system.
    struct Tasks {
        bool updateSoftware = true;
        bool uploadImage = true;
        bool customUpdate = false;
        bool changeSettings = false;
        bool eraseFlash = false;
        bool isdnUpdate = false;
    };

    // What the system keeps across the update.
    struct Retain {
        bool directory = true;
        bool systemSettings = true;
        bool sampleSites = true;
        bool callDetail = true;
    };

    // Network settings: wanted, and what the system has now.
    struct Lan {
        bool changeLan = false;
        bool dhcpWanted = true;
        bool dhcpCurrent = false;
        std::string ipAddress;
        std::string subnetMask;
        std::string defaultGateway;
    };

    // Video settings: wanted, and what the system has now.
    struct Display {
        bool changeDisplay = false;
        bool aspect16x9 = false;
        bool palWanted = false;
        bool palCurrent = false;
        bool resolution1024 = false;
        int videoOutput = 0;
    };

    // Secure mode and the passwords that go with it.
    struct Security {
        bool secureModeWanted = false;
        bool secureModeCurrent = false;
        std::string roomPassword;
        std::string newRoomPassword;
        bool useRoomForRemote = false;
        std::string newRemotePassword;
    };

    // How the run behaves and reports.
    struct Options {
        bool quiet = false;
        int logLevel = 0;
        int language = 0;
        int uploadTimeoutSeconds = 0;  // "-t:": the image upload's time limit
        bool checkOnly = false;        // --check: look, change nothing
        bool verify = true;            // --no-verify: the image's success goes unchecked
        int verifyTimeoutSeconds = 900;
        // --in-call: a single run goes on as it always did; a fleet skips by default.
        CallPolicy inCall = CallPolicy::kBreak;
        int inCallTimeoutSeconds = 1800;  // --in-call-timeout: longest wait for a call's end
        std::string reportPath;           // --report: JSON file, "-" for stdout, empty for none
        // Where the password came from: "-p:" (visible to other local users in the process
        // list) or --password-file; neither: the environment, a prompt, or none.
        bool passwordOnCommandLine = false;
        std::string passwordFile;
        std::string commandLine;
        std::string provision;  // settings lines for the system's provisioning file
        std::string progressCaption;
    };

    Target target;
    Tasks tasks;
    Retain retain;
    Lan lan;
    Display display;
    Security security;
    Options options;
    PackRequest pack;  // --images, --require-signed, --trusted-key
};

}  // namespace quillmarch
