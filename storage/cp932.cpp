#include "cp932.h"

#include <cerrno>
#include <iconv.h>

namespace {
// Opening a descriptor costs more than converting a sheet's text, so each thread keeps one
// per direction until it ends.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (Opened())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::optional<std::string> operator()(std::string_view in) {
        if (!Opened())
            return std::nullopt;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr); // a fresh start, whatever the last call left
        std::string out(in.size() * 2 + 16, '\0');
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        std::size_t done = 0;
        while (inLeft > 0) {
            char* outPtr = out.data() + done;
            std::size_t outLeft = out.size() - done;
            const std::size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            done = out.size() - outLeft;
            if (r != static_cast<std::size_t>(-1))
                break;
            if (errno != E2BIG)
                return std::nullopt; // EILSEQ or EINVAL: invalid or incomplete input, or no mapping
            out.resize(out.size() * 2);
        }
        // glibc counts characters converted irreversibly in r; a plain "CP932" target has none
        // it would substitute, so a success here is exact.
        out.resize(done);
        return out;
    }

private:
    bool Opened() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t cd_;
};
} // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view bytes) {
    static thread_local Converter decoder("UTF-8", "CP932");
    return decoder(bytes);
}

std::optional<std::string> Utf8ToCp932(std::string_view text) {
    static thread_local Converter encoder("CP932", "UTF-8");
    return encoder(text);
}

bool IsStorableAsCp932(std::string_view text) {
    const auto bytes = Utf8ToCp932(text);
    if (!bytes)
        return false;
    const auto back = Cp932ToUtf8(*bytes);
    return back && *back == text;
}
