#include "cp932.h"

#include <cerrno>
#include <iconv.h>

namespace {
std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out(in.size() * 2 + 16, '\0');
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::size_t done = 0;
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = out.data() + done;
        std::size_t outLeft = out.size() - done;
        const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        done = out.size() - outLeft;
        if (r != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        ok = false; // EILSEQ or EINVAL: invalid or incomplete input, or no mapping
        break;
    }
    // glibc counts characters converted irreversibly in r; a plain "CP932" target has none
    // it would substitute, so a success here is exact.
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    out.resize(done);
    return out;
}
} // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view bytes) { return Convert("UTF-8", "CP932", bytes); }

std::optional<std::string> Utf8ToCp932(std::string_view text) { return Convert("CP932", "UTF-8", text); }

bool IsStorableAsCp932(std::string_view text) {
    const auto bytes = Utf8ToCp932(text);
    if (!bytes)
        return false;
    const auto back = Cp932ToUtf8(*bytes);
    return back && *back == text;
}
