#include "toolkit/legacy_text.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <type_traits>

namespace vamu::toolkit {

namespace {

struct IconvCloser {
    void operator()(iconv_t handle) const noexcept { iconv_close(handle); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

std::optional<std::string> convert(std::string_view input, const char* to, const char* from)
{
    iconv_t raw = iconv_open(to, from);
    if (raw == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    IconvHandle handle(raw);

    std::string output;
    // Any of these conversions at most doubles the size (2-byte GB to 3-byte UTF-8).
    output.resize(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    while (inLeft > 0) {
        if (iconv(handle.get(), &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1))
            continue;
        if (errno != E2BIG)
            return std::nullopt;  // EILSEQ or a truncated sequence (EINVAL)
        const std::size_t used = output.size() - outLeft;
        output.resize(output.size() * 2);
        out = output.data() + used;
        outLeft = output.size() - used;
    }
    output.resize(output.size() - outLeft);
    return output;
}

}  // namespace

std::optional<std::string> gbToUtf8(std::string_view bytes)
{
    return convert(bytes, "UTF-8", "GB18030");
}

std::optional<std::string> utf8ToGb2312(std::string_view text)
{
    return convert(text, "GB2312", "UTF-8");
}

}  // namespace vamu::toolkit
