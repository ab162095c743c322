// Key definition file contents: any bytes must load without fault, place
// whole records only by their own address, and survive the panel checksum
// copy and its removal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "definitions/kdl_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vantor::KeyDefinitionTable table;
    const auto r = vantor::readKdlBytes(std::span(data, size), table);
    if (static_cast<std::size_t>(r.recordsRead) != size / vantor::kDefinitionSize) std::abort();
    if (r.trailingBytes != size % vantor::kDefinitionSize) std::abort();
    for (int index : r.changedIndexes) {
        if (index < 0 || index >= vantor::kDefinitionCount) std::abort();
        if (table[index].ownIndex() != index) std::abort();
        if (!table.sendPending[static_cast<std::size_t>(index)]) std::abort();
    }
    for (int i = 0; i < vantor::kDefinitionCount; ++i) {
        const auto& def = table[i];
        (void)def.onMessage();
        (void)def.offMessage();
        auto copy = vantor::panelCopy(def);
        if (copy.onLength() > def.onLength() + 1 || copy.offLength() > def.offLength() + 1) std::abort();
        vantor::stripPanelChecksums(copy);
    }
    // Writing the table back gives one whole file.
    if (vantor::kdlBytes(table).size() != vantor::kKdlFileSize) std::abort();
    return 0;
}
