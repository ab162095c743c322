// Windows-1252 characters to X keysyms.
#include "platform/keyboard/key_injection.h"

namespace vantor::keyboard {

namespace {

struct Extra {
    unsigned long named;   // the keysym layouts carry (0: only the Unicode one)
    unsigned long unicode; // the code point (0: not assigned in Windows-1252)
};

// 0x80..0x9F of Windows-1252.
constexpr Extra kExtras[32] = {
    {0x20AC, 0x20AC}, {0, 0},           {0x0AFD, 0x201A}, {0x08F6, 0x0192}, {0x0AFE, 0x201E}, {0x0AAE, 0x2026},
    {0x0AF1, 0x2020}, {0x0AF2, 0x2021}, {0, 0x02C6},      {0x0AD5, 0x2030}, {0x01A9, 0x0160}, {0, 0x2039},
    {0x13BC, 0x0152}, {0, 0},           {0x01AE, 0x017D}, {0, 0},           {0, 0},           {0x0AD0, 0x2018},
    {0x0AD1, 0x2019}, {0x0AD2, 0x201C}, {0x0AD3, 0x201D}, {0x0AE6, 0x2022}, {0x0AAA, 0x2013}, {0x0AA9, 0x2014},
    {0, 0x02DC},      {0x0AC9, 0x2122}, {0x01B9, 0x0161}, {0, 0x203A},      {0x13BD, 0x0153}, {0, 0},
    {0x01BE, 0x017E}, {0x13BE, 0x0178},
};

constexpr unsigned long kBackSpace = 0xFF08, kTab = 0xFF09, kReturn = 0xFF0D, kEscape = 0xFF1B;
constexpr unsigned long kUnicodeKeysym = 0x01000000UL;

} // namespace

std::vector<unsigned long> keysymsForCp1252(std::uint8_t c)
{
    switch (c) {
    case 0x08: return {kBackSpace};
    case 0x09: return {kTab};
    case 0x0A:
    case 0x0D: return {kReturn};
    case 0x1B: return {kEscape};
    case 0x7F: return {kBackSpace};
    default: break;
    }
    // Ctrl+A .. Ctrl+Z: the key of the letter (the modifier byte holds Ctrl).
    if (c >= 0x01 && c <= 0x1A)
        return {static_cast<unsigned long>('a' + (c - 0x01))};
    if (c < 0x20)
        return {};
    // ASCII and Latin-1 keysyms equal their code points.
    if (c < 0x80 || c >= 0xA0)
        return {c};
    const Extra& e = kExtras[c - 0x80];
    std::vector<unsigned long> syms;
    if (e.named != 0)
        syms.push_back(e.named);
    if (e.unicode != 0 && e.unicode != e.named)
        syms.push_back(kUnicodeKeysym | e.unicode);
    return syms;
}

} // namespace vantor::keyboard
