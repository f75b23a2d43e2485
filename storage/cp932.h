#pragma once
#include <optional>
#include <string>
#include <string_view>

// Conversions between UTF-8 and Windows code page 932. Both refuse rather than
// substitute: nullopt when a byte sequence is invalid or a character has no CP932 form.
std::optional<std::string> Cp932ToUtf8(std::string_view bytes);
std::optional<std::string> Utf8ToCp932(std::string_view text);
// True when the text survives encoding and decoding unchanged. Encoding alone is not
// enough: a few characters ("¥", "〜", "‾") encode one way and read back as others.
bool IsStorableAsCp932(std::string_view text);
