// The text forms of a definition's messages and their checksums. All pure
// functions; a "text" is a byte string (one char per byte, Latin-1).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "definitions/key_definition.h"

namespace vantor {

// Each byte as two upper-case hex digits and one blank: 20 01 21 -> "20 01 21 ".
// Also the hex trace text of the device link.
std::string bytesToHexText(std::span<const std::uint8_t> bytes);

// Hex text back to bytes: an empty text gives none; trailing blanks are
// removed; the rest is split at every single blank (two blanks in a row or a
// leading blank make an empty token); each token is read as a hex number up to
// its first non-hex character (empty or unreadable reads 0); the byte is the
// low eight bits.
std::vector<std::uint8_t> hexTextToBytes(std::string_view text);

// Keyboard bytes (modifier, key) pairs to keyboard text: "{SAC}" group (in
// that order, only present modifiers, omitted when none) then the key
// character. An odd last byte produces its modifier group only. A "{" key
// without modifiers is written "{}{" (an empty group, then the key), so that
// the text reads back as the same bytes; a "}" needs nothing.
inline constexpr std::uint8_t kModShift = 1, kModAlt = 2, kModCtrl = 4;
std::string keyboardBytesToText(std::span<const std::uint8_t> bytes);
// Keyboard text to bytes: "{SC}ab" -> 05 61 00 62.
std::vector<std::uint8_t> keyboardTextToBytes(std::string_view text);

// The three views of the message dialog.
std::string decimalView(std::span<const std::uint8_t> bytes); // "32 1 "
std::string hexView(std::span<const std::uint8_t> bytes);     // same as bytesToHexText
std::string alphaView(std::span<const std::uint8_t> bytes);   // byte as char, 00 as blank

// Sony: sum of all bytes mod 256. VDCP: two's complement of the sum of the
// bytes from the third on (00 for two bytes or fewer).
std::uint8_t sonyChecksum(std::span<const std::uint8_t> bytes);
std::uint8_t vdcpChecksum(std::span<const std::uint8_t> bytes);
// The checksum of the given kind (None gives 0).
std::uint8_t messageChecksum(std::span<const std::uint8_t> bytes, ChecksumKind kind);
// The bytes with the checksum appended; kind None returns them unchanged.
std::vector<std::uint8_t> appendChecksum(std::span<const std::uint8_t> bytes, ChecksumKind kind);

} // namespace vantor
