// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace quillmarch {

class ImageCatalogue;
class ModelCatalogue;
class RunContext;
struct UpdateJob;

// What a system said about itself at one moment; empty texts where it said nothing.
struct SystemFacts {
    bool known = false;  // false: the system was not looked at (a report shows null)
    std::string model;
    std::string mode;  // "NORMAL" or "BOOTUI"
    std::string softwareVersion;
    bool versionRead = false;  // false: the version file could not be read
};

// Reading a logged-on system's facts, and the software this program installs on it.
class SystemFactsReader {
public:
    static constexpr const char* kVersionFile = "systemsoftwareversion.dat";

    // Model (the identified row's display name), mode (the last FLAG) and software version
    // of the system the link is logged on to; known is false without a session.
    // What the table shows for a fact the system did not give.
    static constexpr const char* kUnknown = "unknown";
    // Longest the check's table may spend reading facts; the rest then shows as unknown.
    static constexpr std::chrono::milliseconds kTableBudget{120000};
    static SystemFacts Read(RunContext& app);
    // The facts table's rows: label and the system's text (trimmed, at most 200 bytes), in the
    // system page's order. The version comes from `facts`, which has read it already.
    static std::vector<std::pair<std::string, std::string>> Table(RunContext& app,
                                                                  const SystemFacts& facts);
    // A system's text as versions are compared: trimmed, every character other than an
    // ASCII letter or digit, ".", "_" or ":" made a blank.
    static std::string Clean(const std::string& text);
    // The version this run installs on the identified model: the image pack's manifest says it;
    // empty when it is not known (a folder without a manifest, an unknown model).
    static std::string InstalledVersion(const RunContext& app);
    // The image file name for the identified model; empty for an unknown model.
    static std::string ImageName(const UpdateJob& job, const ModelCatalogue& models,
                                 const ImageCatalogue& images);
    // A system's version text names the version this run installs (both cleaned as the facts
    // table shows them, then compared whole); false when that version is not known.
    [[nodiscard]] static bool IsInstalledVersion(const RunContext& app,
                                                 const std::string& systemText);
    static std::string ModelName(const UpdateJob& job, const ModelCatalogue& models);
};

}  // namespace quillmarch
