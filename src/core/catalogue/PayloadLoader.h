#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/catalogue/SharedImages.h"

namespace quillmarch {

// Hands out the payloads (software images, dummy file, help page) by id from the payload
// folder: "<id>.bin". Holds the one payload it handed out last; a new load lets go of it.
class PayloadLoader {
public:
    // Folder search: QUILLMARCH_PAYLOADS, else payloads/ next to the executable, else
    // ../share/quillmarch/payloads relative to it.
    static std::string DefaultFolder();

    explicit PayloadLoader(std::string folder = DefaultFolder());

    // Lets go of the held payload; id 0 answers false without touching the outputs. Otherwise
    // data/size describe the payload (null and 0 when missing); true when the size is not 0.
    // The data stays valid until the next load.
    bool LoadPayload(std::uint16_t id, const std::uint8_t** data, std::size_t* size);
    void Release();

    const std::string& Folder() const { return m_folder; }
    void SetFolder(std::string folder) { m_folder = std::move(folder); }
    // Loads through `images` from now on: the data is shared with the other runs using it.
    void ShareThrough(std::shared_ptr<SharedImages> images) { m_images = std::move(images); }

private:
    std::string m_folder;
    std::vector<std::uint8_t> m_held;
    std::shared_ptr<SharedImages> m_images;
    SharedImages::Bytes m_shared;  // the payload handed out last, when loaded through m_images
};

}  // namespace quillmarch
