// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/PasswordSource.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/job/CommandLine.h"
#include "core/platform/Platform.h"
#include "core/util/TextUtil.h"

#ifdef _WIN32
#include <conio.h>
#include <io.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace quillmarch::fleet {

namespace {

std::string Shown(const std::string& path) {
    return text::ForLog(path, 200);
}

std::string WithoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

// A system may have no password at all; a file or the environment can say so on purpose
// (an empty line, an empty value), a stray Enter at the prompt cannot.
bool Accept(const std::string& candidate, const std::string& from, std::string& password,
            std::string& error, bool emptyAllowed = false) {
    if (candidate.empty() && !emptyAllowed) {
        error = from + " holds an empty password";
        return false;
    }
    if (candidate.size() > CommandLine::kMaxPassword) {
        error = from + " holds a password longer than " +
                std::to_string(CommandLine::kMaxPassword) + " characters";
        return false;
    }
    password = candidate;
    return true;
}

#ifdef _WIN32
bool ReadHidden(std::string& line) {
    for (int c = _getch(); c != '\r' && c != '\n'; c = _getch()) {
        if (c == 3 || c == EOF) return false;  // Ctrl+C
        if (c == '\b') {
            if (!line.empty()) line.pop_back();
        } else if (line.size() <= CommandLine::kMaxPassword) {
            line += static_cast<char>(c);
        }
    }
    return true;
}
#else
// Echo off and keys read one by one, so Ctrl+C arrives as a key: the terminal's settings are
// always put back, where a signal would have left the echo off.
bool ReadHidden(std::string& line) {
    termios saved{};
    if (tcgetattr(STDIN_FILENO, &saved) != 0) return false;
    termios hidden = saved;
    hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | ISIG);
    hidden.c_cc[VMIN] = 1;
    hidden.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden) != 0) return false;
    bool done = false;
    char c = 0;
    while (!done && read(STDIN_FILENO, &c, 1) == 1) {
        if (c == '\n' || c == '\r') {
            done = true;
        } else if (c == 3 || (c == 4 && line.empty())) {  // Ctrl+C, or Ctrl+D on nothing
            break;
        } else if (c == 127 || c == '\b') {
            if (!line.empty()) line.pop_back();
        } else if (line.size() <= CommandLine::kMaxPassword) {
            line += c;
        }
    }
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    return done;
}
#endif

bool StdinIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}

}  // namespace

bool PasswordSource::CheckPrivate(const std::string& path, std::string& error) {
#ifdef _WIN32
    // NTFS rights are not mode bits, and a file's ACL is the owner's to set: nothing to check.
    (void)path;
    (void)error;
    return true;
#else
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        error = Shown(path) + ": cannot be read";
        return false;
    }
    if ((info.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%03o", static_cast<unsigned>(info.st_mode & 0777));
        error = Shown(path) + ": holds passwords but other users may read or change it (mode " +
                mode + "); make it private with: chmod 600 " + Shown(path);
        return false;
    }
    return true;
#endif
}

bool PasswordSource::ReadFile(const std::string& path, std::string& password, std::string& error) {
    if (!CheckPrivate(path, error)) return false;
    // A pipe or a device could keep the open or the read waiting for ever.
    std::error_code ignored;
    const auto status = std::filesystem::status(platform::PathFromUtf8(path), ignored);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        error = Shown(path) + ": not a plain file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = Shown(path) + ": cannot be read";
        return false;
    }
    // Bounded: a first line longer than any password is refused as too long, never read whole.
    std::string head(CommandLine::kMaxPassword + 3, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    if (head.empty()) {
        error = Shown(path) + " holds no password line (an empty line is the empty password)";
        return false;
    }
    const std::string line = head.substr(0, head.find('\n'));
    return Accept(WithoutLineEnd(line), Shown(path), password, error, true);
}

bool PasswordSource::Resolve(const std::string& passwordFile, const Prompt& prompt,
                             std::string& password, std::string& error) {
    if (!passwordFile.empty()) return ReadFile(passwordFile, password, error);
    if (const char* value = std::getenv(kEnvironmentVariable))
        return Accept(value, kEnvironmentVariable, password, error, true);
    return prompt(password, error);
}

bool PasswordSource::AskTerminal(std::string& password, std::string& error) {
    if (!StdinIsTerminal()) {
        error = std::string("a system in the inventory has no password, and there is no ") +
                "terminal to ask for one: give a password column, --password-file FILE or " +
                kEnvironmentVariable;
        return false;
    }
    return Ask("Password for the fleet's systems: ", false, password, error);
}

bool PasswordSource::Ask(const std::string& question, bool emptyAllowed, std::string& password,
                         std::string& error) {
    std::fputs(question.c_str(), stderr);
    std::fflush(stderr);
    std::string line;
    const bool read = ReadHidden(line);
    std::fputs("\n", stderr);
    if (!read) {
        error = "no password was typed";
        return false;
    }
    return Accept(line, "the typed answer", password, error, emptyAllowed);
}

bool PasswordSource::CanAsk() {
    return StdinIsTerminal();
}

}  // namespace quillmarch::fleet
