// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/job/PackOptions.h"

#include <string_view>

#include "core/job/RunContext.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

using Taken = RunModeOptions::Taken;

// Marks in `seen` for "given already" (upper case, apart from the other options' marks).
constexpr char kImages = 'I';
constexpr char kRequireSigned = 'S';

bool Names(const std::string& lower, std::string_view name) {
    return lower.rfind(name, 0) == 0 && (lower.size() == name.size() || lower[name.size()] == '=');
}

// The value after "=" or the next argument; a value starting with "-" is a forgotten one.
bool Value(const std::vector<std::string>& args, std::size_t& i, std::string_view name,
           std::string& value, std::string& error) {
    const std::string& arg = args[i];
    if (arg.size() > name.size()) {
        value = arg.substr(name.size() + 1);
    } else if (i + 1 < args.size()) {
        value = args[++i];
    }
    if (value.empty() || value[0] == '-' || value.size() > 4096) {
        error = "option \"" + std::string(name) + "\" needs a " +
                (name == "--images" ? "folder" : "file");
        return false;
    }
    return true;
}

bool Once(std::string& seen, char mark, std::string_view name, std::string& error) {
    if (seen.find(mark) != std::string::npos) {
        error = "option \"" + std::string(name) + "\" is given twice";
        return false;
    }
    seen += mark;
    return true;
}

}  // namespace

Taken PackOptions::Take(RunContext& app, const std::vector<std::string>& args, std::size_t& i,
                        std::string& seen, std::string& error) {
    const std::string lower = text::Lower(args[i]);
    PackRequest& pack = app.Job().pack;
    if (lower == "--require-signed") {
        if (!Once(seen, kRequireSigned, lower, error)) return Taken::kRefused;
        pack.requireSigned = true;
        return Taken::kTaken;
    }
    if (Names(lower, "--images")) {
        if (!Once(seen, kImages, "--images", error) ||
            !Value(args, i, "--images", pack.folder, error))
            return Taken::kRefused;
        return Taken::kTaken;
    }
    if (Names(lower, "--trusted-key")) {
        std::string file;
        if (!Value(args, i, "--trusted-key", file, error)) return Taken::kRefused;
        if (pack.trustedKeyFiles.size() >= kMaxTrustedKeys) {
            error = "more than " + std::to_string(kMaxTrustedKeys) + " trusted keys";
            return Taken::kRefused;
        }
        pack.trustedKeyFiles.push_back(file);
        return Taken::kTaken;
    }
    return Taken::kNotMine;
}

}  // namespace quillmarch
