#include "proposal/messages.h"

namespace ofx::proposal::detail {

namespace {

bool isUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        if (c < 0x80)
            extra = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            extra = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            extra = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        if (i + extra >= s.size())
            return false;  // a sequence cut short by the end
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

}  // namespace

std::string errorText(const char* what)
{
    const std::string_view text = what ? what : "";
    return isUtf8(text) ? text::utf8ToCp1252(text) : std::string(text);
}

}  // namespace ofx::proposal::detail
