// Hex text from the message dialogs: any text must parse without fault, and
// the text of the parsed bytes must parse back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "definitions/message_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto bytes = vantor::hexTextToBytes(text);
    if (bytes.size() > size) std::abort(); // never more tokens than characters + 1
    const auto again = vantor::hexTextToBytes(vantor::bytesToHexText(bytes));
    if (again != bytes) std::abort();
    (void)vantor::decimalView(bytes);
    (void)vantor::alphaView(bytes);
    (void)vantor::appendChecksum(bytes, vantor::ChecksumKind::Sony);
    (void)vantor::appendChecksum(bytes, vantor::ChecksumKind::Vdcp);
    return 0;
}
