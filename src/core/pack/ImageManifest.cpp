// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/pack/ImageManifest.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "core/pack/PackDigest.h"
#include "core/util/StrictJson.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

using Json = nlohmann::json;

constexpr int kMaxDepth = 8;

// Printable text of a sane length: these texts reach logs, reports and version comparisons.
bool IsShortText(const Json& node) {
    if (!node.is_string()) return false;
    const auto& text = node.get_ref<const std::string&>();
    return !text.empty() && text.size() <= ImageManifest::kMaxText &&
           std::none_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

bool OnlyKeys(const Json& object, std::initializer_list<const char*> keys, std::string& error) {
    for (const auto& item : object.items()) {
        if (std::none_of(keys.begin(), keys.end(),
                         [&](const char* k) { return item.key() == k; })) {
            error = "unknown field \"" + text::ForLog(item.key(), 40) + "\"";
            return false;
        }
    }
    return true;
}

bool ParseStrict(std::string_view text, Json& out, std::string& error) {
    return StrictJson::Parse(text, kMaxDepth, "nested deeper than any manifest", out, error);
}

}  // namespace

bool ImageManifest::IsPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > 100 || name[0] == '.') return false;
    return std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '.' || c == '_' || c == '-';
    });
}

bool ImageManifest::ListsModel(const ManifestImage& image, const std::string& model) {
    return !model.empty() &&
           std::any_of(image.models.begin(), image.models.end(), [&](const std::string& listed) {
               return text::EqualsNoCase(listed, model);
           });
}

const ManifestImage* ImageManifest::ForFile(const std::string& file) const {
    for (const ManifestImage& image : m_images) {
        if (image.file == file) return &image;
    }
    return nullptr;
}

bool ImageManifest::Parse(std::string_view text, std::string& error) {
    *this = ImageManifest();
    Json doc;
    if (text.size() > kMaxBytes) {
        error = "larger than " + std::to_string(kMaxBytes) + " bytes";
        return false;
    }
    if (!ParseStrict(text, doc, error)) return false;
    if (!doc.is_object())
        error = "not a JSON object";
    else if (!OnlyKeys(doc, {"format", "format_version", "name", "sample", "images"}, error)) {
    } else if (doc.value("format", Json()) != kFormat)
        error = std::string("\"format\" is not \"") + kFormat + "\"";
    else if (doc.value("format_version", Json()) != kFormatVersion)
        error = "\"format_version\" is not " + std::to_string(kFormatVersion);
    else if (!IsShortText(doc.value("name", Json())))
        error = "\"name\" is missing or not a short text";
    else if (doc.contains("sample") && !doc["sample"].is_boolean())
        error = "\"sample\" is not true or false";
    else if (!doc.value("images", Json()).is_array() || doc["images"].empty() ||
             doc["images"].size() > kMaxImages)
        error = "\"images\" is not a list of 1 to " + std::to_string(kMaxImages) + " images";
    if (!error.empty()) return false;
    m_name = doc["name"].get<std::string>();
    m_sample = doc.value("sample", false);
    for (const Json& node : doc["images"]) {
        if (!ParseImage(&node, error)) {
            error = "image " + std::to_string(m_images.size() + 1) + ": " + error;
            *this = ImageManifest();
            return false;
        }
    }
    return true;
}

bool ImageManifest::ParseImage(const void* raw, std::string& error) {
    const Json& node = *static_cast<const Json*>(raw);
    if (!node.is_object())
        error = "not a JSON object";
    else if (!OnlyKeys(node, {"file", "models", "version", "size", "sha256"}, error)) {
    } else if (!IsShortText(node.value("file", Json())) ||
               !IsPlainFileName(node["file"].get_ref<const std::string&>()))
        error = "\"file\" is not a plain file name inside the pack's folder";
    else if (!IsShortText(node.value("version", Json())))
        error = "\"version\" is missing or not a short text";
    else if (!node.value("size", Json()).is_number_unsigned() ||
             node["size"].get<std::uint64_t>() == 0 ||
             node["size"].get<std::uint64_t>() > kMaxImageBytes)
        error = "\"size\" is not a whole number of bytes from 1 to 4 GiB";
    else if (!node.value("sha256", Json()).is_string() ||
             !PackDigest::IsSha256Hex(node["sha256"].get_ref<const std::string&>()))
        error = "\"sha256\" is not 64 hex digits";
    else if (!node.value("models", Json()).is_array() || node["models"].empty() ||
             node["models"].size() > 64 ||
             !std::all_of(node["models"].begin(), node["models"].end(), IsShortText))
        error = "\"models\" is not a list of model names";
    if (!error.empty()) return false;
    ManifestImage image;
    image.file = node["file"].get<std::string>();
    image.version = node["version"].get<std::string>();
    image.size = node["size"].get<std::uint64_t>();
    image.sha256 = text::Lower(node["sha256"].get<std::string>());
    for (const Json& model : node["models"]) image.models.push_back(model.get<std::string>());
    if (ForFile(image.file)) {
        error = "\"" + image.file + "\" is listed twice";
        return false;
    }
    for (const std::string& model : image.models) {
        const bool taken = std::any_of(m_images.begin(), m_images.end(),
                                       [&](const auto& other) { return ListsModel(other, model); });
        if (taken) {
            error = "model \"" + model + "\" has two images";
            return false;
        }
    }
    m_images.push_back(std::move(image));
    return true;
}

std::string ImageManifest::ToJson(const std::string& name, bool sample,
                                  const std::vector<ManifestImage>& images) {
    Json doc = {{"format", kFormat},
                {"format_version", kFormatVersion},
                {"name", name},
                {"sample", sample},
                {"images", Json::array()}};
    for (const ManifestImage& image : images) {
        doc["images"].push_back({{"file", image.file},
                                 {"models", image.models},
                                 {"version", image.version},
                                 {"size", image.size},
                                 {"sha256", image.sha256}});
    }
    return doc.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace quillmarch
