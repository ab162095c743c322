// Icon cache files: any bytes must be read without fault; only a file that the
// writer itself would make is taken, whole, and writes back to the same bytes.
// Files the writer makes from the input, one byte changed, are refused.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "devicelink/icon_cache.h"
#include "iconeditor/icon_bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    for (vantor::IconSet set : {vantor::IconSet::RomIcons, vantor::IconSet::RamIcons, vantor::IconSet::LargeAscii}) {
        const vantor::IconStore before(3, vantor::IconBitmap(5, 0xAB));
        vantor::IconStore store = before;
        if (!vantor::readIconCacheBytes(bytes, set, store)) {
            if (store != before)
                std::abort();
            continue;
        }
        if (store.size() != static_cast<std::size_t>(vantor::iconSetSize(set)))
            std::abort();
        for (const auto& icon : store)
            if (icon.size() != vantor::kIconBytes)
                std::abort();
        const auto again = vantor::iconCacheBytes(set, store);
        if (again.size() != size || !std::equal(again.begin(), again.end(), data))
            std::abort();
    }
    // A whole file made from the input reads back; any one byte changed in it
    // (the CRC catches every such change) is refused.
    if (size >= 3) {
        vantor::IconStore rom(vantor::kRomIconCount);
        for (std::size_t i = 0; i < rom.size(); ++i) {
            rom[i].resize(vantor::kIconBytes);
            for (std::size_t k = 0; k < vantor::kIconBytes; ++k)
                rom[i][k] = data[(i * vantor::kIconBytes + k) % size];
        }
        auto file = vantor::iconCacheBytes(vantor::IconSet::RomIcons, rom);
        vantor::IconStore back;
        if (!vantor::readIconCacheBytes(file, vantor::IconSet::RomIcons, back) || back != rom)
            std::abort();
        const std::size_t at = (std::size_t(data[0]) << 8 | data[1]) % file.size();
        file[at] ^= static_cast<std::uint8_t>(data[2] | 1);
        if (vantor::readIconCacheBytes(file, vantor::IconSet::RomIcons, back))
            std::abort();
    }
    return 0;
}
