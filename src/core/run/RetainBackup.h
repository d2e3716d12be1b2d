// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace quillmarch {

class RunContext;
class DeviceLink;

// Keeping the operator's data across a run: the retain record on a software update, and the
// backup and restore of the system's files around a flash erase. One object carries one
// backup to its restore: the copies live in a fresh private work folder of the link.
class RetainBackup {
public:
    // Tries of each file in the restore, and the pause between them.
    static constexpr int kRestoreAttempts = 3;
    static constexpr std::chrono::seconds kRestorePause{10};

    explicit RetainBackup(RunContext& app) : m_app(app) {}

    [[nodiscard]] bool WriteRetainRecord();
    // True only when every retained file the system has was copied whole, within the limits
    // (filelimit::kBackupFiles, kBackupBytes): only then may the flash be erased. Every
    // failure is logged with its reason.
    [[nodiscard]] bool BackupFiles();
    // Sends every copy back (marked sample sites dropped unless they are retained). True only
    // when every copy went back; each one that did not is logged by name.
    [[nodiscard]] bool RestoreFiles();
    // Ends the backup: the work folder is removed, or kept (and named in the log) when its
    // copies may be the only ones left of the system's data.
    void EndBackup(bool keepCopies);
    // Names of the copies made by BackupFiles, in the order they were fetched.
    const std::vector<std::string>& Copies() const { return m_copies; }

    // The retain mask: a set bit names a kind that is not retained; 79 keeps nothing.
    [[nodiscard]] static int RetainMask(bool directory, bool systemSettings, bool sampleSites,
                                        bool callDetail, bool userConfiguration);
    // The fixed files fetched when the system settings are retained.
    static const std::vector<std::string>& ChoiceFiles();
    // True when an address-book text carries the sample-site marker (any letter case).
    [[nodiscard]] static bool IsSampleSiteText(const std::string& text);

private:
    [[nodiscard]] bool CollectNames(DeviceLink& link, std::vector<std::string>& names,
                                    std::size_t& fixed);
    std::vector<std::string> PlainNames(const std::vector<std::string>& names);
    [[nodiscard]] bool FetchAll(DeviceLink& link, const std::vector<std::string>& names,
                                std::size_t fixed);
    [[nodiscard]] bool FetchBounded(DeviceLink& link, const std::vector<std::string>& names,
                                    std::size_t fixed);
    [[nodiscard]] int ScaledSeconds(int seconds) const;
    [[nodiscard]] bool RestoreOne(const std::string& name);
    void LogFilesNotKept(DeviceLink& link, const std::vector<std::string>& kept);
    [[nodiscard]] bool FetchOne(DeviceLink& link, const std::string& name, bool mayBeMissing,
                                std::int64_t& total);
    [[nodiscard]] bool Fail(const std::string& reason);
    void RemoveSampleSiteCopies();
    [[nodiscard]] bool IsMarkedCopy(const std::string& name, bool& opened) const;

    RunContext& m_app;
    std::string m_dir;
    std::vector<std::string> m_copies;
};

}  // namespace quillmarch
