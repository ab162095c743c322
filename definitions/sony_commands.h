// The built-in table of 27 common commands of the 9-pin tape machine remote
// protocol, each with its two command bytes and Sony checksum.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct SonyCommand {
    std::string name;                // "Play"
    std::vector<std::uint8_t> bytes; // 20 01 21
    friend bool operator==(const SonyCommand&, const SonyCommand&) = default;
};

inline constexpr int kSonyCommandCount = 27;

// The packed table: for each entry the name, a comma, the three raw bytes and
// "|"; the text ends with "|" (it holds 00 bytes: use its size()).
std::string_view sonyCommandText();

// Splits packed text at "|" (empty entries are skipped) and each entry at its
// first and second comma: name before the first, bytes between the first and
// the second (or the end of the entry).
std::vector<SonyCommand> parseSonyCommands(std::string_view packed);

// The parsed built-in table (27 entries, in the picker's order).
const std::vector<SonyCommand>& sonyCommands();

} // namespace vantor
