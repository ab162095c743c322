// RAM icon file contents: any bytes must load without fault, and every entry
// must unpack, pack and nibble-code within its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "iconeditor/icon_bitmap.h"
#include "iconeditor/ricon_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vantor::IconStore store(vantor::kRamIconCount);
    const auto r = vantor::readRIconBytes(std::span(data, size), store);
    if (r.iconsRead < 0 || r.iconsRead > 64 || store.size() != 64) std::abort();
    for (const auto& entry : store) {
        if (entry.size() > vantor::kIconBytes) std::abort();
        const auto grid = vantor::unpackIcon(entry);
        const auto packed = vantor::packIcon(grid);
        if (packed.size() != vantor::kIconBytes) std::abort();
        const auto wire = vantor::nibbleEncode(entry);
        if (entry.size() == vantor::kIconBytes) {
            if (wire.size() != vantor::kIconNibbleBytes) std::abort();
            if (vantor::nibbleDecode(wire) != entry) std::abort();
        } else if (!wire.empty()) {
            std::abort();
        }
    }
    // Saved bytes load back into the same entries (up to the last one held).
    const auto bytes = vantor::riconBytes(store);
    vantor::IconStore again(vantor::kRamIconCount);
    vantor::readRIconBytes(bytes, again);
    for (int k = 0; k < r.iconsRead; ++k)
        if (again[static_cast<std::size_t>(k)] != store[static_cast<std::size_t>(k)]) std::abort();
    // The nibble decoder on raw bytes.
    (void)vantor::nibbleDecode(std::span(data, size));
    return 0;
}
