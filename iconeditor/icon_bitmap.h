// LCD icons: the packed 120-byte bitmap, the editable pixel grid, the nibble
// coding used on the serial line and the three icon stores.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vantor {

inline constexpr int kIconWidth = 36;  // columns 0..35
inline constexpr int kIconHeight = 24; // rows 0..23
inline constexpr std::size_t kIconBytesPerRow = 5;
inline constexpr std::size_t kIconBytes = 120;       // 24 rows x 5 bytes
inline constexpr std::size_t kIconNibbleBytes = 240; // on the wire

// A packed icon: 120 bytes, top row first, 5 bytes per row; within a row,
// read as a 40-bit little-endian number, column c is bit 35 - c. Byte 4 of a
// row holds columns 0..3 in bits 3..0. An empty bitmap is an "empty entry"
// (the icon was never read).
using IconBitmap = std::vector<std::uint8_t>;

// The three icon sets of the panel.
enum class IconSet : std::uint8_t { RomIcons = 0, RamIcons = 1, LargeAscii = 2 };
inline constexpr int kRomIconCount = 40;
inline constexpr int kRamIconCount = 64;
inline constexpr int kLargeAsciiCount = 96; // entry k is character 32 + k

// Set byte of an icon request: 7F ROM, 7E RAM, 7D Large ASCII.
std::uint8_t iconSetWireCode(IconSet set);
int iconSetSize(IconSet set); // 40, 64, 96
inline int lastIconIndex(IconSet set)
{
    return iconSetSize(set) - 1;
} // 39, 63, 95

// 36 x 24 cells, 0 = dark, nonzero = lit (tools write 1).
struct PixelGrid {
    std::array<std::int32_t, kIconWidth * kIconHeight> cells{};

    std::int32_t& at(int column, int row) { return cells[static_cast<std::size_t>(row * kIconWidth + column)]; }
    std::int32_t at(int column, int row) const { return cells[static_cast<std::size_t>(row * kIconWidth + column)]; }
    bool lit(int column, int row) const { return at(column, row) != 0; }
    void clear() { cells.fill(0); }
    friend bool operator==(const PixelGrid&, const PixelGrid&) = default;
};

// 120 bytes; a bit for every nonzero cell.
IconBitmap packIcon(const PixelGrid& grid);
// Sets every cell of grid to 0 or 1 from the bitmap; missing bytes of a short
// (or empty) bitmap read as FF, extra bytes are ignored. The high nibble of
// each row's fifth byte is ignored.
void unpackIcon(std::span<const std::uint8_t> bitmap, PixelGrid& grid);
PixelGrid unpackIcon(std::span<const std::uint8_t> bitmap);

// Each byte as two bytes, low nibble first; only exactly 120 bytes in,
// anything else gives an empty result.
std::vector<std::uint8_t> nibbleEncode(std::span<const std::uint8_t> bitmap);
// Byte k = (data[2k+1] << 4) | data[2k] (0-based); only exactly 240 bytes in,
// anything else gives an empty result. Each data byte's high bits are dropped
// (only its low nibble is used).
std::vector<std::uint8_t> nibbleDecode(std::span<const std::uint8_t> data);

// One store: a fixed number of entries, each a bitmap or empty.
using IconStore = std::vector<IconBitmap>;

struct IconStores {
    IconStore romIcons = IconStore(kRomIconCount);
    IconStore ramIcons = IconStore(kRamIconCount);
    IconStore largeAsciiIcons = IconStore(kLargeAsciiCount);

    // The RAM icons as the panel holds them (read from it, or stored and
    // read back), and the ones changed here that the panel does not hold yet.
    IconStore ramHeld = IconStore(kRamIconCount);
    std::vector<bool> ramPending = std::vector<bool>(kRamIconCount);
    // Stored, but the panel did not read it back as stored.
    std::vector<bool> ramUnconfirmed = std::vector<bool>(kRamIconCount);
    bool ramWaiting(int index) const
    {
        const auto i = static_cast<std::size_t>(index);
        return ramPending[i] && ramIcons[i] != ramHeld[i];
    }
    int ramWaitingCount() const;
    // RAM icon `index` is held by the panel as `held`.
    void confirmRam(int index, const IconBitmap& held);

    // Which icons are in: read from the panel (or its cache) since the
    // running read began, or changed here. A face whose icon is not in shows
    // the icon's number, never a picture another panel sent.
    std::vector<bool> romIn = std::vector<bool>(kRomIconCount, true);
    std::vector<bool> ramIn = std::vector<bool>(kRamIconCount, true);
    std::vector<bool> largeAsciiIn = std::vector<bool>(kLargeAsciiCount, true);
    bool iconIn(IconSet set, int index) const;
    void setIn(IconSet set, int index, bool in);
    // A read begins: no icon is in.
    void markAllOut();

    IconStore& store(IconSet set);
    const IconStore& store(IconSet set) const;
    // Every entry empty again, nothing waiting.
    void clear();
};

// The program-wide stores, alive for the whole run.
IconStores& iconStores();
inline IconStore& romIcons()
{
    return iconStores().romIcons;
}
inline IconStore& ramIcons()
{
    return iconStores().ramIcons;
}
inline IconStore& largeAsciiIcons()
{
    return iconStores().largeAsciiIcons;
}

// The icon editor's grids, both all 0 at start.
PixelGrid& editGrid();
PixelGrid& undoGrid();

} // namespace vantor
