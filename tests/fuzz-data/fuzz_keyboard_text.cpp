// Keyboard text: any text must parse into whole (modifier, key) pairs, and
// the text of those pairs must parse back to them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "definitions/message_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto bytes = vantor::keyboardTextToBytes(text);
    if (bytes.size() % 2 != 0 || bytes.size() > 2 * size) std::abort();
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        if (bytes[i] > 7) std::abort();
    const auto textAgain = vantor::keyboardBytesToText(bytes);
    // Keys that are "{" or a modifier group's characters make the text ambiguous,
    // so only check the round trip when no key is a brace.
    bool braces = false;
    for (std::size_t i = 1; i < bytes.size(); i += 2) braces |= bytes[i] == '{';
    if (!braces && vantor::keyboardTextToBytes(textAgain) != bytes) std::abort();
    // The raw bytes themselves (odd lengths included) must render.
    (void)vantor::keyboardBytesToText(std::span(data, size));
    return 0;
}
