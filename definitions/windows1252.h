// The panel's character set: labels, large characters and keyboard macros are
// Windows-1252 bytes, one per character. The toolkit's texts are Unicode
// (UTF-8); these conversions carry a character between the two without loss,
// and tell which characters the panel cannot hold.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The character of a byte. 80..9F are the code page's letters and signs
// ("€" for 80, "Š" for 8A, ...); the five bytes it leaves free (81, 8D, 8F,
// 90, 9D) stand for the control characters of the same value, so that every
// byte comes back as itself.
char32_t windows1252Character(std::uint8_t byte);
// The byte of a character, or nothing when the panel has none for it.
std::optional<std::uint8_t> windows1252Byte(char32_t character);

// Bytes as UTF-8 text, one character per byte (00 included).
std::string windows1252ToUtf8(std::string_view bytes);
// UTF-8 text as bytes. A character without a byte is left out and counted in
// `refused`; an invalid UTF-8 sequence counts its first byte as refused.
std::string utf8ToWindows1252(std::string_view text, std::size_t* refused = nullptr);

// The characters of UTF-8 text, one code point each; an invalid sequence gives
// U+FFFD for its first byte.
std::u32string utf8Characters(std::string_view text);
// One character as UTF-8.
std::string utf8Of(char32_t character);

} // namespace vantor
