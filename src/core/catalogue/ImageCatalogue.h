// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>

namespace quillmarch {

class ModelCatalogue;
class PayloadLoader;

// The fixed configuration lookup for the images this program carries: version and date of the
// software it installs, and per image entry ("File5", ...) its file name and payload id.
class ImageCatalogue {
public:
    ImageCatalogue(const ModelCatalogue& catalogue, PayloadLoader& payloads);
    ~ImageCatalogue();
    ImageCatalogue(const ImageCatalogue&) = delete;
    ImageCatalogue& operator=(const ImageCatalogue&) = delete;

    std::string GetEntry(const std::string& section, const std::string& entry,
                         std::uint16_t* resourceId) const;
    // The payload file of the entry's image ("155.bin"); empty when it has none.
    std::string PayloadFile(const std::string& entry) const;
    // Loads the entry's image through the payload loader; payloads under 10 bytes count as
    // absent. The data stays valid until the next payload load.
    bool LoadImage(const std::string& section, const std::string& entry,
                   const std::uint8_t** data = nullptr, std::size_t* size = nullptr);

private:
    const ModelCatalogue& m_catalogue;
    PayloadLoader& m_payloads;
};

}  // namespace quillmarch
