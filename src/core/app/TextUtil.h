#pragma once

#include <string>
#include <string_view>

// Byte-wise text helpers shared by the engine (ASCII case rules, as the systems use them).
namespace quillmarch::text {

inline constexpr std::string_view kBlanks = " \t\r\n\v\f";

std::string Trim(std::string_view text, std::string_view blanks = kBlanks);
std::string Lower(std::string text);
std::string Upper(std::string text);
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace quillmarch::text
