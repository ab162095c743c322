// Icon cache files: any bytes must be read without fault; only a file that the
// writer itself would make is taken, whole, and writes back to the same bytes.
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
    return 0;
}
