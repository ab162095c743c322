#include "definitions/message_text.h"

#include <gtest/gtest.h>

namespace vantor::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(HexText, FromBytes)
{
    EXPECT_EQ(bytesToHexText(Bytes{0x20, 0x01, 0x21}), "20 01 21 ");
    EXPECT_EQ(bytesToHexText(Bytes{}), "");
    EXPECT_EQ(bytesToHexText(Bytes{0x00, 0x0A, 0xFF, 0xab}), "00 0A FF AB ");
}

TEST(HexText, ToBytesTokenRules)
{
    EXPECT_EQ(hexTextToBytes(""), Bytes{});
    EXPECT_EQ(hexTextToBytes("0a 1F"), (Bytes{0x0A, 0x1F}));
    EXPECT_EQ(hexTextToBytes("0a  1F"), (Bytes{0x0A, 0x00, 0x1F}));    // two blanks: an empty token
    EXPECT_EQ(hexTextToBytes(" 0A"), (Bytes{0x00, 0x0A}));             // leading blank
    EXPECT_EQ(hexTextToBytes("20 01 21 "), (Bytes{0x20, 0x01, 0x21})); // trailing blanks removed
    EXPECT_EQ(hexTextToBytes("20 01   "), (Bytes{0x20, 0x01}));
    EXPECT_EQ(hexTextToBytes("123"), (Bytes{0x23}));                    // low eight bits
    EXPECT_EQ(hexTextToBytes("ZZ"), (Bytes{0x00}));                     // unreadable
    EXPECT_EQ(hexTextToBytes("1G 4"), (Bytes{0x01, 0x04}));             // stops at the first other character
    EXPECT_EQ(hexTextToBytes("fFfFfFfFfFfFfFfFfFfF12"), (Bytes{0x12})); // no overflow on long tokens
    EXPECT_EQ(hexTextToBytes("   "), Bytes{});
    EXPECT_EQ(hexTextToBytes("7"), (Bytes{0x07}));
}

TEST(HexText, RoundTripOfEveryByte)
{
    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(hexTextToBytes(bytesToHexText(all)), all);
}

TEST(KeyboardText, FromBytes)
{
    EXPECT_EQ(keyboardBytesToText(Bytes{0x05, 0x61, 0x00, 0x62}), "{SC}ab");
    EXPECT_EQ(keyboardBytesToText(Bytes{0x07, 0x78}), "{SAC}x");
    EXPECT_EQ(keyboardBytesToText(Bytes{0x02, 0x0D}), "{A}\r");
    EXPECT_EQ(keyboardBytesToText(Bytes{0x00, 0x41, 0x01}), "A{S}"); // odd last byte: its group only
    EXPECT_EQ(keyboardBytesToText(Bytes{0x00, 0x41, 0x00}), "A");
    EXPECT_EQ(keyboardBytesToText(Bytes{0xF8, 0x41}), "A"); // bits above Ctrl are no modifier
    EXPECT_EQ(keyboardBytesToText(Bytes{}), "");
}

TEST(KeyboardText, ToBytes)
{
    EXPECT_EQ(keyboardTextToBytes("{SC}ab"), (Bytes{0x05, 0x61, 0x00, 0x62}));
    EXPECT_EQ(keyboardTextToBytes("{S}"), (Bytes{0x01, 0x00}));
    EXPECT_EQ(keyboardTextToBytes("{SAC}x"), (Bytes{0x07, 0x78}));
    EXPECT_EQ(keyboardTextToBytes("{CAS}x"), (Bytes{0x07, 0x78}));
    EXPECT_EQ(keyboardTextToBytes("{s}x"), (Bytes{0x00, 0x78})); // lower case is no modifier
    EXPECT_EQ(keyboardTextToBytes("{x"), (Bytes{0x00, 0x78}));   // no closing brace
    EXPECT_EQ(keyboardTextToBytes("{Sx"), (Bytes{0x00, 0x53, 0x00, 0x78}));
    EXPECT_EQ(keyboardTextToBytes("{"), (Bytes{0x00, 0x00}));
    EXPECT_EQ(keyboardTextToBytes("{zAz}}"), (Bytes{0x02, 0x7D})); // other characters ignored
    EXPECT_EQ(keyboardTextToBytes("{}a"), (Bytes{0x00, 0x61}));
    EXPECT_EQ(keyboardTextToBytes("}"), (Bytes{0x00, 0x7D}));
    EXPECT_EQ(keyboardTextToBytes(""), Bytes{});
    EXPECT_EQ(keyboardTextToBytes("\xE9"), (Bytes{0x00, 0xE9}));
}

TEST(KeyboardText, RoundTripOfMacros)
{
    const Bytes macro{0x00, 0x68, 0x01, 0x49, 0x06, 0x0D, 0x07, 0x7A, 0x04, 0x63};
    EXPECT_EQ(keyboardTextToBytes(keyboardBytesToText(macro)), macro);
    // Braces are keys like any other: {a}, {x, a}b, Shift+{ and a lone {.
    const Bytes braces{0x00, '{', 0x00, 'a', 0x00, '}', 0x00, '{', 0x00, 'x', 0x00, 'a',
                       0x00, '}', 0x00, 'b', 0x01, '{', 0x04, '}', 0x00, '{'};
    EXPECT_EQ(keyboardBytesToText(braces), "{}{a}{}{xa}b{S}{{C}}{}{");
    EXPECT_EQ(keyboardTextToBytes(keyboardBytesToText(braces)), braces);
}

TEST(DialogViews, DecimalHexAlpha)
{
    EXPECT_EQ(decimalView(Bytes{0x20, 0x01}), "32 1 ");
    EXPECT_EQ(decimalView(Bytes{0x00, 0xFF}), "0 255 ");
    EXPECT_EQ(decimalView(Bytes{}), "");
    EXPECT_EQ(hexView(Bytes{0x20, 0x01}), "20 01 ");
    EXPECT_EQ(alphaView(Bytes{0x41, 0x00, 0x62}), "A b");
    EXPECT_EQ(alphaView(Bytes{}), "");
}

TEST(Checksums, Sony)
{
    EXPECT_EQ(sonyChecksum(Bytes{}), 0x00);
    EXPECT_EQ(sonyChecksum(Bytes{0xFF, 0x01}), 0x00);
    EXPECT_EQ(sonyChecksum(Bytes{0x20, 0x01}), 0x21);
    EXPECT_EQ(appendChecksum(Bytes{0x20, 0x01}, ChecksumKind::Sony), (Bytes{0x20, 0x01, 0x21}));
    EXPECT_EQ(appendChecksum(Bytes{}, ChecksumKind::Sony), (Bytes{0x00}));
}

TEST(Checksums, Vdcp)
{
    EXPECT_EQ(vdcpChecksum(Bytes{0x02, 0x03, 0x30, 0x05}), 0xCB);
    EXPECT_EQ(appendChecksum(Bytes{0x02, 0x03, 0x30, 0x05}, ChecksumKind::Vdcp), (Bytes{0x02, 0x03, 0x30, 0x05, 0xCB}));
    EXPECT_EQ(vdcpChecksum(Bytes{0x02, 0x03}), 0x00);
    EXPECT_EQ(vdcpChecksum(Bytes{0x7F}), 0x00);
    EXPECT_EQ(vdcpChecksum(Bytes{}), 0x00);
    EXPECT_EQ(vdcpChecksum(Bytes{0x02, 0x03, 0x00}), 0x00); // -0 is 0
    EXPECT_EQ(vdcpChecksum(Bytes{0xFF, 0xFF, 0x80, 0x81}), 0xFF);
}

TEST(Checksums, KindNoneAndDispatch)
{
    EXPECT_EQ(appendChecksum(Bytes{0x20, 0x01}, ChecksumKind::None), (Bytes{0x20, 0x01}));
    EXPECT_EQ(messageChecksum(Bytes{0x20, 0x01}, ChecksumKind::None), 0);
    EXPECT_EQ(messageChecksum(Bytes{0x02, 0x03, 0x30, 0x05}, ChecksumKind::Vdcp), 0xCB);
    EXPECT_EQ(messageChecksum(Bytes{0x02, 0x03, 0x30, 0x05}, ChecksumKind::Sony), 0x3A);
}

} // namespace
} // namespace vantor::test
