// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/catalogue/SharedImages.h"

namespace quillmarch {

// Hands out the payloads (software images, dummy file, help page) by id from the payload
// folder: "<id>.bin". Holds the one payload it handed out last; a new load lets go of it.
class PayloadLoader {
public:
    // Folder search: QUILLMARCH_PAYLOADS, else payloads/ next to the executable, else the
    // operator's pack folder (ImagePack::OperatorFolder). Never the installed sample images: a
    // run sends those only when they are named. Empty when none exists; `looked` gets every
    // place tried.
    static std::string DefaultFolder(std::vector<std::string>* looked = nullptr);

    explicit PayloadLoader(std::string folder = DefaultFolder());

    // Lets go of the held payload; id 0 answers false without touching the outputs. Otherwise
    // data/size describe the payload (null and 0 when missing); true when the size is not 0.
    // The data stays valid until the next load.
    // Asking again for the payload held now hands out the same bytes without reading the file
    // again: the image that was checked is the image that is sent.
    [[nodiscard]] bool LoadPayload(std::uint16_t id, const std::uint8_t** data, std::size_t* size);
    void Release();
    // From the file system only (a stat): the payload exists with at least `minimum` bytes.
    [[nodiscard]] bool Present(std::uint16_t id, std::uintmax_t minimum = 1) const;
    // SHA-256 (hex) of the payload held now; empty when none. Computed once per image, also
    // when runs share it.
    std::string HeldSha256();

    const std::string& Folder() const { return m_folder; }
    void SetFolder(std::string folder) { m_folder = std::move(folder); }
    // Loads through `images` from now on: the data is shared with the other runs using it.
    void ShareThrough(std::shared_ptr<SharedImages> images) { m_images = std::move(images); }

private:
    // Reads `file` into the held buffer (or takes the fleet's shared copy); false on failure.
    [[nodiscard]] bool ReadHeld(const std::filesystem::path& file);
    // Hands out the held payload's bytes.
    void Hand(const std::uint8_t** data, std::size_t* size) const;

    std::string m_folder;
    std::uint16_t m_heldId = 0;
    std::string m_heldPath;
    std::string m_heldSha256;
    std::vector<std::uint8_t> m_held;
    std::shared_ptr<SharedImages> m_images;
    SharedImages::Bytes m_shared;  // the payload handed out last, when loaded through m_images
};

}  // namespace quillmarch
