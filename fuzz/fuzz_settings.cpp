// libFuzzer target for the settings file reader, all in memory: no files, no Qt event loop.
//
// ParseSettings either refuses the input or returns a record with RunMode 0 or 1,
// 0 <= MinNumber <= 75, 24 <= MaxNumber <= 99 and MinNumber <= MaxNumber. The text the
// program writes for an accepted record reads back as the same record. (That SaveSettings
// writes exactly that text and LoadSettings takes a file whole or falls back to the
// defaults is pinned by test_storage.)
// Any violation calls abort() so that libFuzzer keeps the input.
//
// With NUMBALO_FUZZ_EXACT_NUMBERS=1 in the environment, each of the first six fields is
// also read by ParseNumber and by an independent reader that converts the digits with
// strtod (correctly rounded); both must accept the same fields and give the same value.

#include "fieldreader.h"
#include "numbers.h"
#include "settingsfile.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "fuzzsupport.h"

namespace {

bool InRange(const SettingRecord& s) {
    return (s.RunMode == 0 || s.RunMode == 1) && s.MinNumber >= 0 && s.MinNumber <= 75 && s.MaxNumber >= 24 &&
           s.MaxNumber <= 99 && s.MinNumber <= s.MaxNumber;
}

// The settings file exactly as the program writes it: each value on its own line after
// its key, with a blank (or the minus sign) in front and one blank after.
std::string SettingsText(const SettingRecord& s) {
    const auto line = [](int value) {
        return (value < 0 ? std::string("-") : std::string(" ")) + std::to_string(value < 0 ? -value : value) + " \r\n";
    };
    return "<RunMode>\r\n" + line(s.RunMode) + "<MinNumber>\r\n" + line(s.MinNumber) + "<MaxNumber>\r\n" +
           line(s.MaxNumber);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Blanks, an optional sign, digits with an optional fraction (at least one digit in all),
// blanks; the digits converted by strtod.
std::optional<double> ReferenceNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::string digits;
    std::size_t count = 0;
    while (i < text.size() && IsDigit(text[i])) {
        digits += text[i++];
        ++count;
    }
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        std::string fraction = ".";
        while (j < text.size() && IsDigit(text[j]))
            fraction += text[j++];
        if (count + fraction.size() - 1 > 0) {
            count += fraction.size() - 1;
            digits += fraction;
            i = j;
        }
    }
    if (count == 0)
        return std::nullopt;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i != text.size())
        return std::nullopt;
    const double value = std::strtod(digits.c_str(), nullptr);
    return negative ? -value : value;
}

void CheckExactNumbers(std::string_view text) {
    FieldReader reader(text);
    for (int i = 0; i < 6 && !reader.AtEnd(); ++i) {
        const std::string field = reader.ReadField();
        const auto ours = ParseNumber(field);
        const auto reference = ReferenceNumber(field);
        Check(ours.has_value() == reference.has_value(), "ParseNumber accepts other text than the reference reader");
        Check(!ours || *ours == *reference, "ParseNumber value is not the correctly rounded value of the text");
    }
}

bool g_exactNumbers = false;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* exact = std::getenv("NUMBALO_FUZZ_EXACT_NUMBERS");
    g_exactNumbers = exact && std::string_view(exact) == "1";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (g_exactNumbers)
        CheckExactNumbers(text);

    const auto parsed = ParseSettings(text);
    if (!parsed)
        return 0;

    const SettingRecord record = *parsed;
    Check(InRange(record), "ParseSettings accepted a record out of range");

    const std::string written = SettingsText(record);
    const auto back = ParseSettings(written);
    Check(back.has_value(), "the program's own settings text was refused");
    Check(*back == record, "a saved record read back different");
    return 0;
}
