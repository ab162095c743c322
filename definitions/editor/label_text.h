// Label bytes and the text of the toolkit's fields. A label holds one
// Windows-1252 byte per LCD character; the fields hold Unicode. A byte shows as
// its character (00 as a blank), and a field's text goes back one byte per
// character, so every byte survives a show and collect unchanged. A character
// the panel has no byte for is refused: it is left out and counted.
#pragma once

#include "definitions/windows1252.h"

#include <string>

namespace vantor::editor {

inline std::string labelToUtf8(std::string bytes)
{
    for (char& ch : bytes)
        if (ch == '\0')
            ch = ' ';
    return windows1252ToUtf8(bytes);
}

inline std::string utf8ToLabel(const std::string& text, std::size_t* refused = nullptr)
{
    return utf8ToWindows1252(text, refused);
}

} // namespace vantor::editor
