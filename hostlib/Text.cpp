#include "hostlib/Text.h"

std::string
Latin1ToUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        unsigned char byte = (unsigned char)c;
        if (byte < 32 || (byte >= 127 && byte < 160))
            text += '?';
        else if (byte < 128)
            text += (char)byte;
        else {
            text += (char)(0xC0 | (byte >> 6));
            text += (char)(0x80 | (byte & 0x3F));
        }
    }
    return text;
}
