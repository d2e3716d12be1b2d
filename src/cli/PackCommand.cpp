// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/PackCommand.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

#include "core/catalogue/ImageCatalogue.h"
#include "core/catalogue/ModelCatalogue.h"
#include "core/catalogue/PayloadLoader.h"
#include "core/pack/ImagePack.h"
#include "core/pack/PackDigest.h"
#include "core/platform/Platform.h"
#include "core/run/RunReport.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

struct PackArgs {
    std::string makeFolder;
    std::string checkFolder;
    std::string version;
    std::string name;
    PackRequest request;
};

bool TakeValue(const std::vector<std::string>& args, std::size_t& i, std::string& out,
               std::string& error) {
    if (i + 1 >= args.size() || args[i + 1].empty() || !out.empty()) {
        error = "option \"" + args[i] + "\" needs one value, given once";
        return false;
    }
    out = args[++i];
    return true;
}

bool ParseArgs(const std::vector<std::string>& args, PackArgs& parsed, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string key;
        bool ok = true;
        if (arg == "--make-manifest")
            ok = TakeValue(args, i, parsed.makeFolder, error);
        else if (arg == "--check-images")
            ok = TakeValue(args, i, parsed.checkFolder, error);
        else if (arg == "--image-version")
            ok = TakeValue(args, i, parsed.version, error);
        else if (arg == "--pack-name")
            ok = TakeValue(args, i, parsed.name, error);
        else if (arg == "--require-signed")
            parsed.request.requireSigned = true;
        else if (arg == "--trusted-key" && (ok = TakeValue(args, i, key, error)))
            parsed.request.trustedKeyFiles.push_back(key);
        else if (arg != "--trusted-key") {
            error =
                "option \"" + text::ForLog(arg, 64) + "\" does not go with an image pack command";
            return false;
        }
        if (!ok) return false;
    }
    if (parsed.makeFolder.empty() == parsed.checkFolder.empty())
        error = "give either --make-manifest DIR or --check-images DIR";
    else if (!parsed.makeFolder.empty() && parsed.version.empty())
        error = "--make-manifest needs --image-version TEXT";
    return error.empty();
}

// Each payload file a model takes, with the models that take it.
std::map<std::string, std::vector<std::string>> ImageModels() {
    ModelCatalogue models;
    models.Build();
    PayloadLoader none("");
    ImageCatalogue images(models, none);
    std::map<std::string, std::vector<std::string>> files;
    for (int row = 0; row < models.GetSize(); ++row) {
        const std::string file = images.PayloadFile(models.GetAt(row).MainImageEntry());
        if (!file.empty()) files[file].push_back(models.GetAt(row).PackName());
    }
    return files;
}

bool HashFile(const std::filesystem::path& path, std::uint64_t& size, std::string& sha256) {
    PayloadLoader loader(platform::Utf8FromPath(path.parent_path()));
    const std::uint8_t* data = nullptr;
    std::size_t length = 0;
    const std::string stem = platform::Utf8FromPath(path.stem());
    if (!loader.LoadPayload(static_cast<std::uint16_t>(std::stoi(stem)), &data, &length))
        return false;
    size = length;
    sha256 = loader.HeldSha256();
    return true;
}

int MakeManifest(const PackArgs& args) {
    namespace fs = std::filesystem;
    const fs::path folder = platform::PathFromUtf8(args.makeFolder);
    std::vector<ManifestImage> listed;
    for (const auto& [file, models] : ImageModels()) {
        ManifestImage image;
        image.file = file;
        image.models = models;
        image.version = args.version;
        if (!HashFile(folder / file, image.size, image.sha256)) continue;  // not in this pack
        listed.push_back(image);
    }
    std::string error;
    ImageManifest check;
    const std::string name = args.name.empty() ? args.version : args.name;
    const std::string json = ImageManifest::ToJson(name, false, listed);
    if (listed.empty() || !check.Parse(json, error)) {
        std::fprintf(stderr, "quillmarch: no manifest written for %s: %s\n",
                     text::ForLog(args.makeFolder, 200).c_str(),
                     listed.empty() ? "it holds no image a model takes" : error.c_str());
        return 1;
    }
    const std::string path = platform::Utf8FromPath(folder / ImageManifest::kFileName);
    if (!RunReport::WriteAtomically(path, json, error)) {
        std::fprintf(stderr, "quillmarch: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %zu images, version \"%s\"\n", path.c_str(), listed.size(),
                text::ForLog(args.version, 200).c_str());
    return 0;
}

int CheckImages(PackArgs args) {
    args.request.folder = args.checkFolder;
    ImagePack pack;
    pack.Open(args.request);
    if (!pack.HasManifest()) {
        const std::string why = pack.GetState() == ImagePack::State::kNoManifest
                                    ? "no manifest in " + args.checkFolder
                                    : pack.Problem();
        std::fprintf(stderr, "quillmarch: %s\n", text::ForLog(why, 400).c_str());
        return 1;
    }
    int faults = 0;
    for (const ManifestImage& image : pack.Manifest().Images()) {
        std::uint64_t size = 0;
        std::string sha256;
        const auto path = platform::PathFromUtf8(pack.Folder()) / image.file;
        // The program loads images by id ("<id>.bin", id up to 65535); other names are not its.
        const std::string& f = image.file;
        const bool ids = f.size() > 4 && f.size() <= 9 && f.compare(f.size() - 4, 4, ".bin") == 0 &&
                         f.find_first_not_of("0123456789") == f.size() - 4 &&
                         std::stoul(f.substr(0, f.size() - 4)) <= 65535;
        std::string verdict = "ok";
        if (!ids || !HashFile(path, size, sha256))
            verdict = "missing or unreadable";
        else if (size != image.size)
            verdict = "size " + std::to_string(size) + ", listed " + std::to_string(image.size);
        else if (sha256 != image.sha256)
            verdict = "SHA-256 " + sha256 + ", listed " + image.sha256;
        faults += verdict == "ok" ? 0 : 1;
        std::printf("  %-10s %s\n", image.file.c_str(), verdict.c_str());
    }
    std::printf("%s: %s%s%s\n", text::ForLog(pack.Identity(), 200).c_str(),
                faults ? "DAMAGED" : "all images good", pack.Sample() ? " (sample images)" : "",
                pack.Signer().empty() ? "" : (", signed by " + pack.Signer()).c_str());
    return faults ? 1 : 0;
}

}  // namespace

bool PackCommand::Wanted(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--make-manifest" || arg == "--check-images") return true;
    }
    return false;
}

int PackCommand::Main(const std::vector<std::string>& args) {
    PackArgs parsed;
    std::string error;
    if (!ParseArgs(args, parsed, error)) {
        std::fprintf(stderr, "quillmarch: %s\n", error.c_str());
        return 2;
    }
    return parsed.makeFolder.empty() ? CheckImages(parsed) : MakeManifest(parsed);
}

}  // namespace quillmarch
