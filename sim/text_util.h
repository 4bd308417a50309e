#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvex::sim {

// Small text helpers shared by the option, memory file and stdin command parsers.
std::string_view trim(std::string_view text);
std::vector<std::string_view> split_whitespace(std::string_view text);
// Splits at every separator; pieces are trimmed, empty pieces are kept.
std::vector<std::string_view> split(std::string_view text, char separator);
bool equals_ignore_case(std::string_view a, std::string_view b);
std::string to_upper(std::string_view text);

// Whole-string number parsers: nullopt when the text is not entirely a number.
std::optional<double> parse_double(std::string_view text);
std::optional<std::uint64_t> parse_unsigned(std::string_view text, int base = 10);

}  // namespace calvex::sim
