#include "definitions/sony_commands.h"

#include <gtest/gtest.h>

#include "definitions/message_text.h"

namespace vantor::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(SonyCommands, TableInPickerOrder)
{
    const auto& table = sonyCommands();
    ASSERT_EQ(table.size(), 27u);
    const std::pair<const char*, const char*> expected[] = {
        {"Local Disable", "00 0C 0C "}, {"Local Enable", "00 1D 1D "},  {"Stop", "20 00 20 "},
        {"Play", "20 01 21 "},          {"Record", "20 02 22 "},        {"Standby Off", "20 04 24 "},
        {"Standby On", "20 05 25 "},    {"Eject", "20 0F 2F "},         {"Fast Fwd", "20 10 30 "},
        {"Rewind", "20 20 40 "},        {"Preroll", "20 30 50 "},       {"Preview", "20 40 60 "},
        {"Review", "20 41 61 "},        {"Auto Edit", "20 42 62 "},     {"Outpoint Preview", "20 43 63 "},
        {"Full EE Off", "20 60 80 "},   {"Full EE On", "20 61 81 "},    {"Select EE On", "20 63 83 "},
        {"Edit Off", "20 64 84 "},      {"Edit On", "20 65 85 "},       {"Freeze Off", "20 6A 8A "},
        {"Freeze On", "20 6B 8B "},     {"Timer-1 Reset", "40 08 48 "}, {"In Entry", "40 10 50 "},
        {"Out Entry", "40 11 51 "},     {"Auto Mode Off", "40 40 80 "}, {"Auto Mode On", "40 41 81 "},
    };
    for (std::size_t i = 0; i < 27; ++i) {
        EXPECT_EQ(table[i].name, expected[i].first) << i;
        EXPECT_EQ(bytesToHexText(table[i].bytes), expected[i].second) << i;
        // Third byte is the Sony checksum of the two command bytes.
        ASSERT_EQ(table[i].bytes.size(), 3u);
        EXPECT_EQ(table[i].bytes[2], sonyChecksum(std::span(table[i].bytes).first(2))) << i;
    }
}

TEST(SonyCommands, PackedText)
{
    const auto text = sonyCommandText();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '|');
    EXPECT_EQ(text.substr(0, 18), std::string_view("Local Disable,\x00\x0C\x0C|", 18));
    std::size_t bars = 0;
    for (char c : text)
        bars += c == '|';
    EXPECT_EQ(bars, 27u);
    // Every entry is name, comma, three bytes: no byte is a comma or "|".
    for (const auto& cmd : sonyCommands())
        for (auto b : cmd.bytes) {
            EXPECT_NE(b, 0x2C);
            EXPECT_NE(b, 0x7C);
        }
}

TEST(SonyCommands, ParserRules)
{
    using namespace std::string_view_literals;
    EXPECT_TRUE(parseSonyCommands("").empty());
    EXPECT_TRUE(parseSonyCommands("||").empty()); // empty entries are skipped
    auto cmds = parseSonyCommands("Play,\x20\x01\x21|"sv);
    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(cmds[0], (SonyCommand{"Play", Bytes{0x20, 0x01, 0x21}}));
    // Bytes end at a second comma; no closing "|" on the last entry.
    cmds = parseSonyCommands("A,\x01\x02,rest|B|C,\x00"sv);
    ASSERT_EQ(cmds.size(), 3u);
    EXPECT_EQ(cmds[0], (SonyCommand{"A", Bytes{0x01, 0x02}}));
    EXPECT_EQ(cmds[1], (SonyCommand{"B", Bytes{}}));
    EXPECT_EQ(cmds[2], (SonyCommand{"C", Bytes{0x00}}));
    // Bytes at and above 80 survive the char packing.
    cmds = parseSonyCommands("X,\x20\x60\x80|"sv);
    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(cmds[0].bytes, (Bytes{0x20, 0x60, 0x80}));
}

} // namespace
} // namespace vantor::test
