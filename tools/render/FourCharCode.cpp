#include "FourCharCode.h"

#include <cctype>
#include <cstdint>

namespace sorrel::render {

std::string fourCharText(VstInt32 code)
{
    std::string text = "'";
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto character = static_cast<unsigned char>((static_cast<std::uint32_t>(code) >> shift) & 0xFF);
        text += std::isprint(character) ? static_cast<char>(character) : '.';
    }
    return text + "'";
}

} // namespace sorrel::render
