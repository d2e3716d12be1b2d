// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillmarch::fleet {

// One record of a CSV text and the line it starts on (1: the first line).
struct CsvRecord {
    int line = 0;
    std::vector<std::string> fields;
    // Per field: it was written in quotes ("" is an empty text given on purpose).
    std::vector<bool> quoted;
};

// Reads CSV as spreadsheets write it (RFC 4180): quoted fields may hold the separator, doubled
// quotes and line breaks; CRLF or LF line ends; a UTF-8 byte order mark is dropped. Line
// numbers count the line breaks inside quoted fields, so an error names the line an editor
// shows. Blank records (nothing but blanks and separators) are skipped.
class CsvReader {
public:
    static constexpr std::size_t kMaxField = 4096;

    CsvReader(std::string_view text, char separator);

    // ';' when the first line holds ';' and no ',' (a spreadsheet in a locale whose decimal
    // mark is the comma), otherwise ','.
    static char DetectSeparator(std::string_view text);
    // The text without a leading UTF-8 byte order mark.
    static std::string_view WithoutBom(std::string_view text);

    // The next record that is not blank. False at the end, or on a malformed record: then
    // `error` says why and `record.line` where; reading stops there.
    bool Next(CsvRecord& record, std::string& error);

private:
    bool ReadRecord(CsvRecord& record, std::string& error);
    bool ReadQuoted(std::string& field, std::string& error);
    bool QuotedCharacter(std::string& field);
    void EndLine();

    std::string_view m_text;
    char m_separator;
    std::size_t m_pos = 0;
    int m_line = 1;
};

}  // namespace quillmarch::fleet
