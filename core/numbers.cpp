#include "numbers.h"

#include <charconv>
#include <cmath>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
} // namespace

LeadingNumber ParseLeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t first = i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    std::size_t end = i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        std::size_t fractionDigits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++fractionDigits;
        }
        // "5." and ".5" are numbers; a lone "." is not.
        if (digits + fractionDigits > 0) {
            digits += fractionDigits;
            end = i;
        }
    }
    if (digits == 0)
        return {};
    // The scan above fixes the notation; from_chars gives the correctly rounded value.
    double value = 0.0;
    const auto result = std::from_chars(text.data() + first, text.data() + end, value, std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range)
        value = HUGE_VAL; // more digits than a double holds: far outside every range checked
    return {negative ? -value : value, end};
}

std::optional<double> ParseNumber(std::string_view text) {
    const LeadingNumber n = ParseLeadingNumber(text);
    if (n.length == 0)
        return std::nullopt;
    for (std::size_t i = n.length; i < text.size(); ++i)
        if (!IsBlank(text[i]))
            return std::nullopt;
    return n.value;
}

double CellValue(std::string_view text) { return ParseLeadingNumber(text).value; }

std::optional<std::int16_t> RoundToInt16(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = std::nearbyint(value); // default rounding mode: halves to even
    if (r < -32768.0 || r > 32767.0)
        return std::nullopt;
    return static_cast<std::int16_t>(r);
}
