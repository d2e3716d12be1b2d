#pragma once

#include <string>
#include <vector>

namespace quillmarch {

class CQuillmarch6App;

// Keeping the operator's data across a run: the retain record on a software update, and the
// backup and restore of the system's files around a flash erase.
class CRetainBackup {
public:
    explicit CRetainBackup(CQuillmarch6App& app) : m_app(app) {}

    bool WriteRetainRecord();
    bool BackupFiles();
    bool RestoreFiles();

    // The retain mask: a set bit names a kind that is not retained; 79 keeps nothing.
    static int RetainMask(bool directory, bool systemSettings, bool sampleSites, bool callDetail,
                          bool userConfiguration);
    // The fixed files fetched when the system settings are retained.
    static const std::vector<std::string>& ChoiceFiles();
    // True when an address-book text carries the sample-site marker (any letter case).
    static bool IsSampleSiteText(const std::string& text);

private:
    void RemoveSampleSiteCopies();

    CQuillmarch6App& m_app;
};

}  // namespace quillmarch
