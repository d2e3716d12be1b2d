// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

// The few places where the operating system shows through. Strings are UTF-8 throughout the
// engine; on Windows they are widened at this boundary.
namespace quillmarch::platform {

// A UTF-8 path text as a filesystem path (wide on Windows). Never throws: on Windows a byte
// sequence that is not UTF-8 becomes U+FFFD.
std::filesystem::path PathFromUtf8(const std::string& text);
// A filesystem path as UTF-8 text, with the platform's separators. Never throws.
std::string Utf8FromPath(const std::filesystem::path& path);

#ifdef _WIN32
// UTF-16 text (arguments, environment, file names) as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);
#endif

// An environment variable as UTF-8 text; empty when unset.
std::string EnvironmentVariable(const char* name);

// Folder of the running executable; empty when it cannot be found.
std::string ExecutableDirectory();
// The system's temporary folder, without a trailing separator; empty on failure.
std::string TempDirectory();
// The workstation's user name; empty when it cannot be read.
std::string CurrentUserName();
// The preferred path separator as text ("\\" on Windows, "/" elsewhere).
const char* Separator();

// True when `path` is a real folder (no symbolic link or junction) of the user's own that
// others cannot write into: a place where nobody else can plant or swap a file.
bool IsPrivateDirectory(const std::string& path);
// Empty when only the user (and root) can change what the folder `path` holds; else why not,
// naming the folder. A missing folder is judged by the folder it would be made in. POSIX only:
// Windows answers empty.
std::string OthersControl(const std::string& path);
// Creates `path` (not its parents) private to the user (0700) when it is missing; true when it
// then passes IsPrivateDirectory.
bool EnsurePrivateDirectory(const std::string& path);
// The program's folder in the user's own cache, private: $XDG_CACHE_HOME/quillmarch or
// ~/.cache/quillmarch (%LOCALAPPDATA%\Quillmarch on Windows). Empty when none can be made,
// with `why` naming the folder and the fix.
std::string UserCacheDirectory(std::string& why);
std::string UserCacheDirectory();
// The program's folder in the user's own data, private: $XDG_DATA_HOME/quillmarch or
// ~/.local/share/quillmarch (%LOCALAPPDATA%\Quillmarch on Windows). Kept copies of a system's
// files go here, never beside the program. Empty when none can be made.
std::string UserDataDirectory();
// A new folder inside `parent`, named `prefix` and a random suffix, created private (0700) and
// never one that existed before. Its path without a trailing separator; empty on failure.
std::string MakeUniqueDirectory(const std::string& parent, const std::string& prefix);
// Whether a stream is an interactive terminal that cursor movement may redraw. On Windows only
// a console counts: _isatty also holds for NUL and serial ports.
bool IsTerminal(std::FILE* stream);

}  // namespace quillmarch::platform
