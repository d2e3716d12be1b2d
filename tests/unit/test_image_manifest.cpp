// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The image pack's manifest reader and minisign signatures: good and hostile inputs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pack/ImageManifest.h"
#include "core/pack/PackDigest.h"
#include "core/pack/PackSignature.h"

namespace quillmarch {
namespace {

const std::string kHash(64, 'a');

std::string Image(const std::string& file, const std::string& models, const std::string& extra = "",
                  const std::string& hash = kHash) {
    return R"({"file": ")" + file + R"(", "models": )" + models +
           R"(, "version": "9.5", "size": 10, "sha256": ")" + hash + "\"" + extra + "}";
}

std::string Doc(const std::string& images, const std::string& extra = "") {
    return R"({"format": "quillmarch-image-pack", "format_version": 1, "name": "pack")" + extra +
           R"(, "images": [)" + images + "]}";
}

TEST(ImageManifest, GoodAndHostileInputs) {
    struct Case {
        const char* name;
        std::string text;
        const char* error;  // a part of the error; null: accepted
    };
    const std::string one = Image("156.bin", R"(["KDV 18"])");
    const std::vector<Case> cases = {
        {"good", Doc(one), nullptr},
        {"sample", Doc(one, R"(, "sample": true)"), nullptr},
        {"upper-case hash", Doc(Image("1.bin", R"(["T21"])", "", std::string(64, 'F'))), nullptr},
        {"not JSON", "{\"format\": ", "not valid JSON"},
        {"an array", "[]", "not a JSON object"},
        {"huge", std::string(ImageManifest::kMaxBytes + 1, ' '), "larger than"},
        {"wrong format", R"({"format": "x", "format_version": 1})", "\"format\""},
        {"newer format", Doc(one).replace(Doc(one).find("1,"), 1, "2"), "format_version"},
        {"unknown field", Doc(one, R"(, "sha265": "x")"), "unknown field \"sha265\""},
        {"unknown image field", Doc(Image("1.bin", R"(["T21"])", R"(, "crc": 1)")),
         "unknown field \"crc\""},
        {"duplicate key", Doc(one, R"(, "name": "other")"), "given twice"},
        {"short hash", Doc(Image("1.bin", R"(["T21"])", "", "abc")), "64 hex digits"},
        {"hash not hex", Doc(Image("1.bin", R"(["T21"])", "", std::string(64, 'g'))),
         "64 hex digits"},
        {"climbs out", Doc(Image("../156.bin", R"(["T21"])")), "plain file name"},
        {"absolute", Doc(Image("/etc/passwd", R"(["T21"])")), "plain file name"},
        {"windows path", Doc(Image("..\\\\156.bin", R"(["T21"])")), "plain file name"},
        {"hidden", Doc(Image(".bin", R"(["T21"])")), "plain file name"},
        {"same file twice", Doc(one + "," + Image("156.bin", R"(["T21"])")), "listed twice"},
        {"model with two images", Doc(one + "," + Image("155.bin", R"(["kdv 18"])")), "two images"},
        {"no models", Doc(Image("1.bin", "[]")), "model names"},
        {"model not text", Doc(Image("1.bin", "[1]")), "model names"},
        {"no images", Doc(""), "list of 1 to"},
        {"control character", Doc(Image("1.bin", R"(["T\u0007"])")), "model names"},
        {"deep", std::string(100, '[') + std::string(100, ']'), "nested deeper"},
    };
    for (const Case& c : cases) {
        ImageManifest manifest;
        std::string error;
        const bool ok = manifest.Parse(c.text, error);
        EXPECT_EQ(ok, c.error == nullptr) << c.name << ": " << error;
        if (c.error) {
            EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
            EXPECT_TRUE(manifest.Images().empty()) << c.name;
        }
    }
}

TEST(ImageManifest, WrittenManifestReadsBackAndFindsModelsWithoutCase) {
    ManifestImage image{"156.bin", {"KDV 18", "KDV 16"}, "9.5 \"new\"", 12, kHash};
    ImageManifest manifest;
    std::string error;
    ASSERT_TRUE(manifest.Parse(ImageManifest::ToJson("pack", true, {image}), error)) << error;
    EXPECT_TRUE(manifest.Sample());
    const ManifestImage* found = manifest.ForFile("156.bin");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->version, "9.5 \"new\"");
    EXPECT_TRUE(ImageManifest::ListsModel(*found, "kdv 16"));
    EXPECT_FALSE(ImageManifest::ListsModel(*found, "KDV 16m"));
    EXPECT_EQ(manifest.ForFile("155.bin"), nullptr);
}

TEST(PackDigest, KnownSha256) {
    EXPECT_EQ(PackDigest::Sha256Hex("abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(PackDigest::Sha256Hex(nullptr, 0),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(PackSignature, HostileFilesAreRefusedInWords) {
    PackSignature::PublicKey key;
    std::string error;
    for (const char* text : {"", "untrusted comment: x\n", "untrusted comment: x\nnot base64!",
                             "untrusted comment: x\nRWQ=\n"}) {
        EXPECT_FALSE(PackSignature::ParsePublicKey(text, key, error)) << text;
        EXPECT_EQ(error, "not a minisign public key");
    }
    std::string signer;
    for (const char* sig : {"", "a\nb\nc\nd\n", "untrusted comment: x\nRWQ=\nnope\nRWQ=\n"}) {
        EXPECT_FALSE(PackSignature::Verify("text", sig, {}, signer, error)) << sig;
        EXPECT_NE(error.find("minisign's format"), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace quillmarch
