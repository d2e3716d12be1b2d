// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/CsvReader.h"

#include <algorithm>

#include "core/util/TextUtil.h"

namespace quillmarch::fleet {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(const std::string& field) {
    return text::Trim(field).empty();
}

}  // namespace

CsvReader::CsvReader(std::string_view text, char separator)
    : m_text(WithoutBom(text)), m_separator(separator) {}

std::string_view CsvReader::WithoutBom(std::string_view text) {
    if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
    return text;
}

char CsvReader::DetectSeparator(std::string_view text) {
    text = WithoutBom(text);
    const std::string_view first = text.substr(0, text.find('\n'));
    const bool semicolon = first.find(';') != std::string_view::npos;
    return semicolon && first.find(',') == std::string_view::npos ? ';' : ',';
}

bool CsvReader::Next(CsvRecord& record, std::string& error) {
    while (m_pos < m_text.size()) {
        if (!ReadRecord(record, error)) return false;
        if (!std::all_of(record.fields.begin(), record.fields.end(), IsBlank)) return true;
    }
    return false;
}

void CsvReader::EndLine() {
    if (m_text[m_pos] == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n') ++m_pos;
    ++m_pos;
    ++m_line;
}

// Inside quotes: false when the closing quote was met.
bool CsvReader::QuotedCharacter(std::string& field) {
    const char c = m_text[m_pos];
    if (c == '"') {
        const bool doubled = m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '"';
        m_pos += doubled ? 2 : 1;
        if (doubled) field += '"';
        return doubled;
    }
    if (c == '\r' || c == '\n') {
        EndLine();  // a line break in the field: one "\n", whatever the file's line ends
        field += '\n';
        return true;
    }
    field += c;
    ++m_pos;
    return true;
}

bool CsvReader::ReadQuoted(std::string& field, std::string& error) {
    const int opened = m_line;
    ++m_pos;
    while (m_pos < m_text.size()) {
        if (!QuotedCharacter(field)) return true;
        if (field.size() > kMaxField) {
            error = "a field is longer than " + std::to_string(kMaxField) + " bytes";
            return false;
        }
    }
    error = "the quoted field opened on line " + std::to_string(opened) + " is not closed";
    return false;
}

bool CsvReader::ReadRecord(CsvRecord& record, std::string& error) {
    record.line = m_line;
    record.fields.assign(1, std::string());
    record.quoted.assign(1, false);
    bool quoted = false;  // the current field was quoted and its closing quote met
    while (m_pos < m_text.size()) {
        std::string& field = record.fields.back();
        if (field.size() > kMaxField) {
            error = "a field is longer than " + std::to_string(kMaxField) + " bytes";
            return false;
        }
        const char c = m_text[m_pos];
        if (c == '\r' || c == '\n') {
            EndLine();
            return true;
        }
        if (c == m_separator) {
            record.fields.emplace_back();
            record.quoted.push_back(false);
            quoted = false;
            ++m_pos;
        } else if (c == '"' && !quoted && IsBlank(field)) {
            field.clear();
            if (!ReadQuoted(field, error)) return false;
            quoted = true;
            record.quoted.back() = true;
        } else if (quoted || c == '"') {
            if (quoted && (c == ' ' || c == '\t')) {
                ++m_pos;  // blanks after a closing quote
                continue;
            }
            error = quoted ? "text after the closing quote of a field"
                           : "a quote inside a field that does not start with one; quote the "
                             "whole field and double the quote";
            return false;
        } else {
            field += c;
            ++m_pos;
        }
    }
    return true;
}

}  // namespace quillmarch::fleet
