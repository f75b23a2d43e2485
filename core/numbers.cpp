#include "numbers.h"

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
    double value = 0.0;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        value = value * 10.0 + (text[i] - '0');
        ++i;
        ++digits;
    }
    std::size_t end = i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        double scale = 0.1;
        std::size_t fractionDigits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            value += (text[i] - '0') * scale;
            scale /= 10.0;
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
