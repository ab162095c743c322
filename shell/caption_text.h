#pragma once
// Captions as a button shows them.
#include <string>

namespace vantor {

// The caption without its mnemonic marks: "&Clear" shows "Clear", "A&&B" shows "A&B".
std::string captionWithoutMnemonic(const std::string& caption);

} // namespace vantor
