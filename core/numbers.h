#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// The one number notation of the program's files and cells: decimal digits with an
// optional sign and an optional fraction. No exponents, hex, "inf" or "nan".

struct LeadingNumber {
    double value = 0.0;
    std::size_t length = 0; // characters consumed, leading blanks included; 0 when there is no number
};

// Reads a number at the start of text (blanks before it allowed). Stops at the first
// character that cannot continue the number.
LeadingNumber ParseLeadingNumber(std::string_view text);

// The whole text must be a number, with optional blanks around it.
std::optional<double> ParseNumber(std::string_view text);

// A cell's numeric value: its leading number, 0 when it has none ("", "@").
double CellValue(std::string_view text);

// Nearest whole number, halves to the even neighbour; nullopt outside the 16-bit range.
std::optional<std::int16_t> RoundToInt16(double value);
