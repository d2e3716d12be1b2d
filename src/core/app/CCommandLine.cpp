#include "core/app/CCommandLine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>

#include "core/app/AddressNames.h"
#include "core/app/CQuillmarch6App.h"
#include "core/app/CRunModeOptions.h"
#include "core/app/TextUtil.h"

namespace quillmarch {

namespace {

struct SFlag {
    std::string_view name;  // lower case; the operator may write any case
    bool CQuillmarch6App::*member;
    bool value;
};

constexpr SFlag kFlags[] = {
    {"-q", &CQuillmarch6App::m_bQuiet, true},
    {"--quiet", &CQuillmarch6App::m_bQuiet, true},
    {"-s", &CQuillmarch6App::m_bUploadImage, false},
    {"-m", &CQuillmarch6App::m_bPassiveMode, true},
    {"--passive", &CQuillmarch6App::m_bPassiveMode, true},
    {"-i", &CQuillmarch6App::m_bIsdnUpdate, true},
    {"-ks", &CQuillmarch6App::m_bUpdateSoftware, false},
    {"-fa", &CQuillmarch6App::m_bRetainDirectory, false},
    {"-fs", &CQuillmarch6App::m_bRetainSystemSettings, false},
    {"-fp", &CQuillmarch6App::m_bRetainSampleSites, false},
};

bool IsPasswordArgument(const std::string& arg) {
    return arg.size() >= 2 && arg[0] == '-' && (arg[1] == 'p' || arg[1] == 'P');
}

// How an error names an argument: never a password's text, control characters made visible,
// long texts cut.
std::string Quoted(const std::string& arg) {
    if (IsPasswordArgument(arg)) return "\"" + arg.substr(0, 2) + "...\"";
    return "\"" + text::ForLog(arg, 64) + "\"";
}

bool ParseSeconds(const std::string& text, int& seconds) {
    if (text.empty() || text.size() > 6) return false;
    if (!std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    seconds = std::stoi(text);
    return seconds <= CCommandLine::kMaxTimeoutSeconds;
}

// "-p:", "-f:" and "-t:" carry a value; each may be given once.
bool ApplyValue(CQuillmarch6App& app, const std::string& arg, std::string& seen,
                std::string& error) {
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(arg[1])));
    if (seen.find(letter) != std::string::npos) {
        error = "option " + Quoted(arg) + " is given twice";
        return false;
    }
    seen += letter;
    const std::string value = arg.substr(3);
    if (letter == 'p') {
        if (value.size() > CCommandLine::kMaxPassword) {
            error = "the password is longer than " + std::to_string(CCommandLine::kMaxPassword) +
                    " characters";
            return false;
        }
        app.m_strPassword = value;
    } else if (letter == 'f') {
        if (value.empty()) {
            error = "option \"-f:\" needs the name of the log file";
            return false;
        }
        app.m_strLogPath = value;
    } else if (!ParseSeconds(value, app.m_nTransferOption)) {
        error = "option " + Quoted(arg) + " needs a number of seconds from 0 to " +
                std::to_string(CCommandLine::kMaxTimeoutSeconds);
        return false;
    }
    return true;
}

bool ApplyOption(CQuillmarch6App& app, const std::string& arg, std::string& seen,
                 std::string& error) {
    const std::string lower = text::Lower(arg);
    for (const SFlag& flag : kFlags) {
        if (lower == flag.name) {
            app.*flag.member = flag.value;
            return true;
        }
    }
    if (lower.size() >= 3 && lower[2] == ':' &&
        std::string_view("pft").find(lower[1]) != std::string_view::npos)
        return ApplyValue(app, arg, seen, error);
    error = "unknown option " + Quoted(arg);
    return false;
}

bool IsHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
}

bool IsV6Character(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
}

const char* TrueFalse(bool value) {
    return value ? "TRUE" : "FALSE";
}

}  // namespace

bool CCommandLine::IsAddress(const std::string& text) {
    if (text.empty() || text.size() > kMaxAddress) return false;
    const address::SHostPort split = address::SplitHostPort(text);
    if (!split.valid || split.host.empty()) return false;
    const std::string& host = split.host;
    if (host.find(':') == std::string::npos) {
        return std::isalnum(static_cast<unsigned char>(host[0])) &&
               std::all_of(host.begin(), host.end(), IsHostCharacter);
    }
    // IPv6, with an optional zone ("%eth0").
    const auto percent = host.find('%');
    const std::string address = host.substr(0, percent);
    const std::string zone = percent == std::string::npos ? "x" : host.substr(percent + 1);
    return address.size() >= 2 && std::all_of(address.begin(), address.end(), IsV6Character) &&
           !zone.empty() && std::all_of(zone.begin(), zone.end(), IsHostCharacter);
}

bool CCommandLine::Parse(CQuillmarch6App& app, const std::vector<std::string>& args,
                         std::string& error) {
    std::string seen;
    bool haveAddress = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string where = "argument " + std::to_string(i + 1);
        if (arg.empty()) {
            error = where + " is empty";
            return false;
        }
        if (arg[0] == '-') {
            const auto taken = CRunModeOptions::Take(app, args, i, seen, error);
            if (taken == CRunModeOptions::ETake::kRefused) return false;
            if (taken == CRunModeOptions::ETake::kNotMine && !ApplyOption(app, arg, seen, error))
                return false;
            continue;
        }
        // Neither address is named back: a forgotten "-p:" would show the password.
        if (haveAddress) {
            error = where + " is a second address; one run updates one system";
            return false;
        }
        if (!IsAddress(arg)) {
            error = where + " is neither an option nor an address";
            return false;
        }
        app.m_strAddress = arg;
        haveAddress = true;
    }
    app.m_strCommandLine = MaskedText(args);
    if (app.m_strLogPath.empty()) app.m_strLogPath = address::LocalName(app.m_strAddress) + ".log";
    return true;
}

std::string CCommandLine::MaskedText(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& arg : args) {
        std::string shown = arg;
        if (IsPasswordArgument(arg) && arg.size() > 3) shown = arg.substr(0, 3) + "****";
        if (shown.find_first_of(" \t") != std::string::npos) shown = "\"" + shown + "\"";
        text += (text.empty() ? "" : " ") + shown;
    }
    return text;
}

std::string CCommandLine::OptionDump(const CQuillmarch6App& app) {
    std::string systemType;
    if (app.m_nSystemType >= 0 && app.m_nSystemType < CSystemInformationArray::kRowCount &&
        app.m_catalogue.GetSize() == CSystemInformationArray::kRowCount) {
        systemType = app.m_catalogue.GetAt(app.m_nSystemType).DisplayName().substr(0, 63);
    }
    // Long enough for an address of any length the command line can carry.
    std::string buffer(app.m_strAddress.size() + systemType.size() + 512, '\0');
    const int n = std::snprintf(
        buffer.data(), buffer.size(),
        "Quillmarch\r\n\tAddress          = %s\r\n\tPW Length        = %d\r\n\tUpdateImage      = "
        "%s\r\n\tDeleteAddresBook = %s\r\n\tDeleteSystemFiles= %s\r\n\tQuiteMode        = "
        "%s\r\n\tISDN Update\t\t= %s\r\n\tSystem Type      = %s\r\n",
        app.m_strAddress.c_str(), static_cast<int>(app.m_strPassword.size()),
        TrueFalse(app.m_bUploadImage), TrueFalse(app.m_bRetainDirectory),
        TrueFalse(app.m_bRetainSystemSettings), TrueFalse(app.m_bQuiet),
        TrueFalse(app.m_bIsdnUpdate), systemType.c_str());
    buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return buffer;
}

std::vector<std::string> CCommandLine::Arguments(int argc, char** argv) {
    if (argc <= 1 || argv == nullptr) return {};
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace quillmarch
