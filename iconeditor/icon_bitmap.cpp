#include "iconeditor/icon_bitmap.h"

namespace vantor {

std::uint8_t iconSetWireCode(IconSet set)
{
    switch (set) {
    case IconSet::RomIcons: return 0x7F;
    case IconSet::RamIcons: return 0x7E;
    case IconSet::LargeAscii: return 0x7D;
    }
    return 0x7F;
}

int iconSetSize(IconSet set)
{
    switch (set) {
    case IconSet::RomIcons: return kRomIconCount;
    case IconSet::RamIcons: return kRamIconCount;
    case IconSet::LargeAscii: return kLargeAsciiCount;
    }
    return kRomIconCount;
}

// A row as a 40-bit little-endian number holds column c in bit 35 - c: byte 0
// has columns 28..35 (28 in bit 7), byte 3 columns 4..11, byte 4 columns 0..3
// in its bits 3..0.
IconBitmap packIcon(const PixelGrid& grid)
{
    IconBitmap out(kIconBytes, 0);
    for (int row = 0; row < kIconHeight; ++row) {
        std::uint64_t bits = 0;
        for (int col = 0; col < kIconWidth; ++col)
            if (grid.lit(col, row))
                bits |= std::uint64_t{1} << (35 - col);
        for (std::size_t k = 0; k < kIconBytesPerRow; ++k)
            out[static_cast<std::size_t>(row) * kIconBytesPerRow + k] = static_cast<std::uint8_t>(bits >> (8 * k));
    }
    return out;
}

void unpackIcon(std::span<const std::uint8_t> bitmap, PixelGrid& grid)
{
    for (int row = 0; row < kIconHeight; ++row) {
        std::uint64_t bits = 0;
        for (std::size_t k = 0; k < kIconBytesPerRow; ++k) {
            const std::size_t i = static_cast<std::size_t>(row) * kIconBytesPerRow + k;
            const std::uint8_t b = i < bitmap.size() ? bitmap[i] : 0xFF; // missing bytes read as FF
            bits |= std::uint64_t{b} << (8 * k);
        }
        for (int col = 0; col < kIconWidth; ++col)
            grid.at(col, row) = static_cast<std::int32_t>((bits >> (35 - col)) & 1);
    }
}

PixelGrid unpackIcon(std::span<const std::uint8_t> bitmap)
{
    PixelGrid grid;
    unpackIcon(bitmap, grid);
    return grid;
}

std::vector<std::uint8_t> nibbleEncode(std::span<const std::uint8_t> bitmap)
{
    std::vector<std::uint8_t> out;
    if (bitmap.size() != kIconBytes)
        return out;
    out.reserve(kIconNibbleBytes);
    for (std::uint8_t b : bitmap) {
        out.push_back(b & 0x0F);
        out.push_back(static_cast<std::uint8_t>(b >> 4));
    }
    return out;
}

std::vector<std::uint8_t> nibbleDecode(std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> out;
    if (data.size() != kIconNibbleBytes)
        return out;
    out.reserve(kIconBytes);
    for (std::size_t k = 0; k < kIconBytes; ++k)
        out.push_back(static_cast<std::uint8_t>(((data[2 * k + 1] & 0x0F) << 4) | (data[2 * k] & 0x0F)));
    return out;
}

IconStore& IconStores::store(IconSet set)
{
    switch (set) {
    case IconSet::RamIcons: return ramIcons;
    case IconSet::LargeAscii: return largeAsciiIcons;
    case IconSet::RomIcons: break;
    }
    return romIcons;
}

const IconStore& IconStores::store(IconSet set) const
{
    return const_cast<IconStores*>(this)->store(set);
}

namespace {
std::vector<bool>& inFlags(IconStores& s, IconSet set)
{
    switch (set) {
    case IconSet::RamIcons: return s.ramIn;
    case IconSet::LargeAscii: return s.largeAsciiIn;
    case IconSet::RomIcons: break;
    }
    return s.romIn;
}
} // namespace

bool IconStores::iconIn(IconSet set, int index) const
{
    const auto& in = inFlags(const_cast<IconStores&>(*this), set);
    if (index < 0 || static_cast<std::size_t>(index) >= in.size())
        return false;
    // A RAM icon drawn or loaded here is shown whatever the panel sent.
    return in[static_cast<std::size_t>(index)] || (set == IconSet::RamIcons && ramPending[static_cast<std::size_t>(index)]);
}

void IconStores::setIn(IconSet set, int index, bool in)
{
    auto& flags = inFlags(*this, set);
    if (index >= 0 && static_cast<std::size_t>(index) < flags.size())
        flags[static_cast<std::size_t>(index)] = in;
}

void IconStores::markAllOut()
{
    romIn.assign(kRomIconCount, false);
    ramIn.assign(kRamIconCount, false);
    largeAsciiIn.assign(kLargeAsciiCount, false);
}

void IconStores::clear()
{
    romIn.assign(kRomIconCount, true);
    ramIn.assign(kRamIconCount, true);
    largeAsciiIn.assign(kLargeAsciiCount, true);
    romIcons.assign(kRomIconCount, {});
    ramIcons.assign(kRamIconCount, {});
    largeAsciiIcons.assign(kLargeAsciiCount, {});
    ramHeld.assign(kRamIconCount, {});
    ramPending.assign(kRamIconCount, false);
    ramUnconfirmed.assign(kRamIconCount, false);
}

int IconStores::ramWaitingCount() const
{
    int n = 0;
    for (int i = 0; i < kRamIconCount; ++i)
        n += ramWaiting(i) ? 1 : 0;
    return n;
}

void IconStores::confirmRam(int index, const IconBitmap& held)
{
    const auto i = static_cast<std::size_t>(index);
    ramHeld[i] = held;
    if (ramIcons[i] == held) {
        ramPending[i] = false;
        ramUnconfirmed[i] = false;
    }
}

IconStores& iconStores()
{
    static IconStores stores;
    return stores;
}

PixelGrid& editGrid()
{
    static PixelGrid grid;
    return grid;
}

PixelGrid& undoGrid()
{
    static PixelGrid grid;
    return grid;
}

} // namespace vantor
