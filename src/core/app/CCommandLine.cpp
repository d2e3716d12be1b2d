#include "core/app/CCommandLine.h"

#include <cctype>
#include <cstdio>

#include "core/app/AddressNames.h"
#include "core/app/CQuillmarch6App.h"

namespace quillmarch {

namespace {

constexpr std::size_t kMaxCommandLine = 4095;

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Decimal with optional sign, up to the first other character; no digits give 0.
int LeadingNumber(const std::string& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;  // saturate instead of overflowing
    }
    return static_cast<int>(negative ? -value : value);
}

const char* TrueFalse(bool value) {
    return value ? "TRUE" : "FALSE";
}

}  // namespace

std::string CCommandLine::ArgumentText(const std::string& commandLine, bool& hasArguments) {
    const std::string text = commandLine.substr(0, kMaxCommandLine);
    hasArguments = true;
    const auto quote = text.find('"');
    if (quote != std::string::npos) {
        const auto second = text.find('"', quote + 1);
        return text.substr(second != std::string::npos ? second + 1 : quote + 1);
    }
    const auto blank = text.find(' ');
    if (blank != std::string::npos) return text.substr(blank + 1);
    hasArguments = false;
    return {};
}

std::vector<std::string> CCommandLine::Pieces(const std::string& argumentText) {
    std::vector<std::string> pieces;
    std::string::size_type from = 0;
    while (from <= argumentText.size()) {
        auto blank = argumentText.find(' ', from);
        if (blank == std::string::npos) blank = argumentText.size();
        if (blank > from) pieces.push_back(argumentText.substr(from, blank - from));
        from = blank + 1;
    }
    return pieces;
}

void CCommandLine::ApplyOption(CQuillmarch6App& app, const std::string& piece) {
    if (piece.size() < 2) return;
    const char second = Lower(piece[1]);
    const char third = piece.size() > 2 ? Lower(piece[2]) : '\0';
    switch (second) {
        case 'q':
            app.m_bQuiet = true;
            break;
        case 's':
            app.m_bUploadImage = false;
            break;
        case 'm':
            app.m_bPassiveMode = true;
            break;
        case 'i':
            app.m_bIsdnUpdate = true;
            break;
        case 'k':
            if (piece.size() == 3 && third == 's') app.m_bUpdateSoftware = false;
            break;
        case 'p':
            if (piece.size() >= 3) app.m_strPassword = piece.substr(3);
            break;
        case 't':
            if (third == ':') app.m_nTransferOption = LeadingNumber(piece.substr(3));
            break;
        case 'f':
            if (third == 'a') app.m_bRetainDirectory = false;
            if (third == 's') app.m_bRetainSystemSettings = false;
            if (third == 'p') app.m_bRetainSampleSites = false;
            if (third == ':') app.m_strLogPath = piece.substr(3);
            break;
        default:
            break;
    }
}

void CCommandLine::ApplyPiece(CQuillmarch6App& app, const std::string& piece) {
    if (piece[0] == '-') {
        ApplyOption(app, piece);
    } else if (std::isalnum(static_cast<unsigned char>(piece[0])) || piece[0] == '[') {
        // "[v6]:port" is an address form of this program too.
        app.m_strAddress = piece;
    }
}

bool CCommandLine::Parse(CQuillmarch6App& app, const std::string& commandLine) {
    bool hasArguments = false;
    const std::string argumentText = ArgumentText(commandLine, hasArguments);
    const auto pieces = Pieces(argumentText);
    if (!hasArguments || pieces.empty()) return false;
    app.m_strCommandLine = argumentText;
    for (const auto& piece : pieces) ApplyPiece(app, piece);
    if (app.m_strLogPath.empty()) app.m_strLogPath = address::LocalName(app.m_strAddress) + ".log";
    if (app.m_nLogLevel == 0) app.StartLog(app.m_strLogPath);
    return true;
}

std::string CCommandLine::MaskPasswords(const std::string& argumentText) {
    std::string masked;
    std::string::size_type from = 0;
    while (from <= argumentText.size()) {
        auto blank = argumentText.find(' ', from);
        if (blank == std::string::npos) blank = argumentText.size();
        std::string piece = argumentText.substr(from, blank - from);
        if (piece.size() > 3 && piece[0] == '-' && Lower(piece[1]) == 'p')
            piece = piece.substr(0, 3) + "****";
        masked += piece;
        if (blank < argumentText.size()) masked += ' ';
        from = blank + 1;
    }
    return masked;
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

std::string CCommandLine::FromArgv(int argc, char** argv) {
    std::string program = argc > 0 ? argv[0] : "quillmarch";
    // A program path with blanks is quoted, as Windows quotes it.
    std::string line = program.find(' ') != std::string::npos ? "\"" + program + "\"" : program;
    for (int i = 1; i < argc; ++i) line += std::string(" ") + argv[i];
    return line;
}

}  // namespace quillmarch
