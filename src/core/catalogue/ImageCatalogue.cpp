// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/catalogue/ImageCatalogue.h"

#include "core/catalogue/ModelCatalogue.h"
#include "core/catalogue/PayloadLoader.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

ImageCatalogue::ImageCatalogue(const ModelCatalogue& catalogue, PayloadLoader& payloads)
    : m_catalogue(catalogue), m_payloads(payloads) {
    m_payloads.Release();
}

ImageCatalogue::~ImageCatalogue() {
    m_payloads.Release();
}

std::string ImageCatalogue::GetEntry(const std::string& section, const std::string& entry,
                                     std::uint16_t* resourceId) const {
    if (resourceId) *resourceId = 0;
    if (section.empty() || entry.empty()) return {};
    switch (entry[0]) {
        case 'D':
            return "05Sep2011 02:10";
        case 'V':
            return section == "MainSoftware" ? "Release_ru 9.0.6.2-103 05-September-2011 02:10"
                                             : "20";
        case 'I':
            return text::Trim("ISDN Version -?- ");
        default:
            break;
    }
    if (entry.size() < 4) return "-";
    struct SFixed {
        const char* name;
        const char* file;
        std::uint16_t id;
    };
    static const SFixed kFixed[] = {{"File", "output.mi", 150},
                                    {"File1", "mabel_ob.image", 151},
                                    {"File2", "olaf_ob.image", 152}};
    for (const auto& fixed : kFixed) {
        if (entry == fixed.name) {
            if (resourceId) *resourceId = fixed.id;
            return fixed.file;
        }
    }
    for (int i = 0; i < m_catalogue.GetSize(); ++i) {
        const auto& row = m_catalogue.GetAt(i);
        if (row.MainImageEntry() == entry) {
            if (resourceId) *resourceId = row.ResourceId();
            return text::Trim(row.ImageFileName());
        }
    }
    return "-";
}

std::string ImageCatalogue::PayloadFile(const std::string& entry) const {
    std::uint16_t id = 0;
    GetEntry("MainSoftware", entry, &id);
    return id == 0 ? std::string() : std::to_string(id) + ".bin";
}

bool ImageCatalogue::LoadImage(const std::string& section, const std::string& entry,
                               const std::uint8_t** data, std::size_t* size) {
    if (section.empty()) return false;
    std::uint16_t id = 0;
    GetEntry(section, entry, &id);
    const std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    if (!m_payloads.LoadPayload(id, &bytes, &length)) length = 0;
    if (length < 10) length = 0;
    if (data) *data = length ? bytes : nullptr;
    if (size) *size = length;
    return length != 0;
}

}  // namespace quillmarch
