#include "iconeditor/icon_bitmap.h"

#include <gtest/gtest.h>

namespace vantor::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes rowOf(const IconBitmap& bitmap, int row)
{
    return Bytes(bitmap.begin() + row * 5, bitmap.begin() + row * 5 + 5);
}

TEST(PackIcon, SinglePixelRows)
{
    PixelGrid grid;
    grid.at(0, 0) = 1;  // leftmost of row 0
    grid.at(35, 1) = 1; // rightmost of row 1
    grid.at(28, 2) = 1; // bit 7 of byte 0
    grid.at(20, 3) = 1; // bit 7 of byte 1
    grid.at(12, 4) = 1; // bit 7 of byte 2
    grid.at(4, 5) = 1;  // bit 7 of byte 3
    grid.at(11, 6) = 1; // bit 0 of byte 3
    grid.at(3, 7) = 7;  // any nonzero cell is lit: bit 0 of byte 4
    const IconBitmap packed = packIcon(grid);
    ASSERT_EQ(packed.size(), 120u);
    EXPECT_EQ(rowOf(packed, 0), (Bytes{0x00, 0x00, 0x00, 0x00, 0x08}));
    EXPECT_EQ(rowOf(packed, 1), (Bytes{0x01, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(rowOf(packed, 2), (Bytes{0x80, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(rowOf(packed, 3), (Bytes{0x00, 0x80, 0x00, 0x00, 0x00}));
    EXPECT_EQ(rowOf(packed, 4), (Bytes{0x00, 0x00, 0x80, 0x00, 0x00}));
    EXPECT_EQ(rowOf(packed, 5), (Bytes{0x00, 0x00, 0x00, 0x80, 0x00}));
    EXPECT_EQ(rowOf(packed, 6), (Bytes{0x00, 0x00, 0x00, 0x01, 0x00}));
    EXPECT_EQ(rowOf(packed, 7), (Bytes{0x00, 0x00, 0x00, 0x00, 0x01}));
    for (int r = 8; r < 24; ++r)
        EXPECT_EQ(rowOf(packed, r), Bytes(5, 0)) << r;
}

TEST(PackIcon, AllLitAndAllDark)
{
    PixelGrid grid;
    EXPECT_EQ(packIcon(grid), Bytes(120, 0));
    grid.cells.fill(1);
    const auto packed = packIcon(grid);
    for (int r = 0; r < 24; ++r)
        EXPECT_EQ(rowOf(packed, r), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x0F})) << r;
}

TEST(UnpackIcon, IgnoresTheHighNibbleOfTheFifthByte)
{
    IconBitmap bitmap(120, 0);
    bitmap[4] = 0xF8;   // row 0: high nibble set, column 0 lit
    bitmap[119] = 0x01; // row 23: column 3
    const PixelGrid grid = unpackIcon(bitmap);
    for (int c = 0; c < 36; ++c)
        EXPECT_EQ(grid.at(c, 0), c == 0 ? 1 : 0) << c;
    EXPECT_EQ(grid.at(3, 23), 1);
    EXPECT_EQ(grid.at(2, 23), 0);
    // Pack after unpack gives back the bitmap without those bits.
    IconBitmap expected = bitmap;
    expected[4] = 0x08;
    EXPECT_EQ(packIcon(grid), expected);
}

TEST(UnpackIcon, CellsAreZeroOrOne)
{
    PixelGrid grid;
    grid.cells.fill(5);
    unpackIcon(IconBitmap(120, 0xAA), grid);
    for (auto v : grid.cells)
        EXPECT_TRUE(v == 0 || v == 1);
    // AA in byte 0: columns 28, 30, 32, 34.
    EXPECT_EQ(grid.at(28, 0), 1);
    EXPECT_EQ(grid.at(29, 0), 0);
    EXPECT_EQ(grid.at(34, 0), 1);
    EXPECT_EQ(grid.at(35, 0), 0);
    // Byte 4 = AA: low nibble A = columns 0 and 2.
    EXPECT_EQ(grid.at(0, 0), 1);
    EXPECT_EQ(grid.at(1, 0), 0);
    EXPECT_EQ(grid.at(2, 0), 1);
}

TEST(UnpackIcon, ShortOrEmptyBitmapsReadMissingBytesAsFF)
{
    const PixelGrid empty = unpackIcon(IconBitmap{});
    for (auto v : empty.cells)
        EXPECT_EQ(v, 1);

    IconBitmap shortOne(7, 0); // row 0 whole, row 1 two bytes
    const PixelGrid grid = unpackIcon(shortOne);
    for (int c = 0; c < 36; ++c)
        EXPECT_EQ(grid.at(c, 0), 0) << c;
    // Row 1: bytes 0 and 1 (columns 20..35) dark, the rest lit.
    for (int c = 0; c < 36; ++c)
        EXPECT_EQ(grid.at(c, 1), c < 20 ? 1 : 0) << c;
    for (int r = 2; r < 24; ++r)
        for (int c = 0; c < 36; ++c)
            EXPECT_EQ(grid.at(c, r), 1);
    // Longer input: only 120 bytes are read.
    IconBitmap longOne(130, 0);
    EXPECT_EQ(packIcon(unpackIcon(longOne)), Bytes(120, 0));
}

TEST(PackIcon, RoundTripOfAPattern)
{
    PixelGrid grid;
    for (int r = 0; r < 24; ++r)
        for (int c = 0; c < 36; ++c)
            grid.at(c, r) = ((c * 7 + r * 3) % 5 == 0) ? 1 : 0;
    EXPECT_EQ(unpackIcon(packIcon(grid)), grid);
}

TEST(NibbleCoding, EncodeDecode)
{
    IconBitmap bitmap(120, 0);
    bitmap[0] = 0xA5;
    bitmap[119] = 0x3C;
    const auto data = nibbleEncode(bitmap);
    ASSERT_EQ(data.size(), 240u);
    EXPECT_EQ(data[0], 0x05);
    EXPECT_EQ(data[1], 0x0A);
    EXPECT_EQ(data[238], 0x0C);
    EXPECT_EQ(data[239], 0x03);
    for (auto b : data)
        EXPECT_LE(b, 0x0F);
    EXPECT_EQ(nibbleDecode(data), bitmap);

    Bytes wire(240, 0);
    wire[0] = 0x05;
    wire[1] = 0x0A;
    EXPECT_EQ(nibbleDecode(wire)[0], 0xA5);
}

TEST(NibbleCoding, ExactLengthsOnly)
{
    EXPECT_TRUE(nibbleEncode(Bytes(119, 1)).empty());
    EXPECT_TRUE(nibbleEncode(Bytes(121, 1)).empty());
    EXPECT_TRUE(nibbleEncode(Bytes{}).empty());
    EXPECT_TRUE(nibbleDecode(Bytes(239, 1)).empty());
    EXPECT_TRUE(nibbleDecode(Bytes(241, 1)).empty());
    EXPECT_TRUE(nibbleDecode(Bytes{}).empty());
    EXPECT_EQ(nibbleDecode(Bytes(240, 0x0F)), Bytes(120, 0xFF));
}

TEST(NibbleCoding, DataBytesAboveFifteenKeepTheirLowNibble)
{
    Bytes wire(240, 0);
    wire[0] = 0xF3; // low nibble 3
    wire[1] = 0x12; // low nibble 2
    EXPECT_EQ(nibbleDecode(wire)[0], 0x23);
}

TEST(IconSets, CodesAndSizes)
{
    EXPECT_EQ(iconSetWireCode(IconSet::RomIcons), 0x7F);
    EXPECT_EQ(iconSetWireCode(IconSet::RamIcons), 0x7E);
    EXPECT_EQ(iconSetWireCode(IconSet::LargeAscii), 0x7D);
    EXPECT_EQ(iconSetSize(IconSet::RomIcons), 40);
    EXPECT_EQ(iconSetSize(IconSet::RamIcons), 64);
    EXPECT_EQ(iconSetSize(IconSet::LargeAscii), 96);
    EXPECT_EQ(lastIconIndex(IconSet::RomIcons), 39);
    EXPECT_EQ(lastIconIndex(IconSet::RamIcons), 63);
    EXPECT_EQ(lastIconIndex(IconSet::LargeAscii), 95);
}

TEST(IconStores, StartEmptyAndSelectBySet)
{
    IconStores stores;
    ASSERT_EQ(stores.romIcons.size(), 40u);
    ASSERT_EQ(stores.ramIcons.size(), 64u);
    ASSERT_EQ(stores.largeAsciiIcons.size(), 96u);
    for (const auto& e : stores.romIcons)
        EXPECT_TRUE(e.empty());
    for (const auto& e : stores.ramIcons)
        EXPECT_TRUE(e.empty());
    for (const auto& e : stores.largeAsciiIcons)
        EXPECT_TRUE(e.empty());
    EXPECT_EQ(&stores.store(IconSet::RomIcons), &stores.romIcons);
    EXPECT_EQ(&stores.store(IconSet::RamIcons), &stores.ramIcons);
    EXPECT_EQ(&stores.store(IconSet::LargeAscii), &stores.largeAsciiIcons);
    stores.ramIcons[3] = IconBitmap(120, 1);
    stores.clear();
    EXPECT_TRUE(stores.ramIcons[3].empty());
    EXPECT_EQ(stores.ramIcons.size(), 64u);

    EXPECT_EQ(&romIcons(), &iconStores().romIcons);
    EXPECT_EQ(&ramIcons(), &iconStores().ramIcons);
    EXPECT_EQ(&largeAsciiIcons(), &iconStores().largeAsciiIcons);
}

TEST(EditorGrids, GlobalAndStartDark)
{
    EXPECT_EQ(&editGrid(), &editGrid());
    EXPECT_NE(&editGrid(), &undoGrid());
    for (auto v : undoGrid().cells)
        EXPECT_EQ(v, 0);
    editGrid().at(1, 1) = 1;
    EXPECT_EQ(editGrid().at(1, 1), 1);
    EXPECT_EQ(undoGrid().at(1, 1), 0);
    editGrid().clear();
    EXPECT_EQ(editGrid(), PixelGrid{});
}

} // namespace
} // namespace vantor::test
