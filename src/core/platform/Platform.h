#pragma once

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

}  // namespace quillmarch::platform
