// Label bytes and the text of the toolkit's fields. A label holds one byte per
// LCD character; the fields hold UTF-8. Bytes are shown as the characters
// U+0000..U+00FF of the same value (00 as a blank), and a field's text goes
// back one byte per character, so a byte above 7F survives a show and collect
// unchanged. Characters beyond U+00FF are stored as "?".
#pragma once

#include <string>

namespace vantor::editor {

inline std::string labelToUtf8(const std::string& bytes)
{
    std::string out;
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == 0) {
            out.push_back(' ');
        } else if (b < 0x80) {
            out.push_back(static_cast<char>(b));
        } else {
            out.push_back(static_cast<char>(0xC0 | (b >> 6)));
            out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return out;
}

inline std::string utf8ToLabel(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        int extra = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        unsigned code = extra == 0 ? b : b & (0x3Fu >> extra);
        std::size_t j = i + 1;
        for (int k = 0; k < extra && j < text.size(); ++k, ++j)
            code = (code << 6) | (static_cast<unsigned char>(text[j]) & 0x3Fu);
        out.push_back(code <= 0xFF ? static_cast<char>(code) : '?');
        i = j;
    }
    return out;
}

} // namespace vantor::editor
