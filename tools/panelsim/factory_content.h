// What a panel holds when it leaves the factory: text labels and tape-machine
// commands on its buttons, 40 ROM icons, 96 large characters and no RAM icons.
#pragma once

#include "definitions/key_definition.h"
#include "iconeditor/icon_bitmap.h"

#include <array>

namespace vantor::panelsim {

// The 90 records as the panel holds them (messages with their checksum byte).
std::array<KeyDefinition, kDefinitionCount> factoryDefinitions();
// Icon n of the ROM set (0..39), 120 bytes.
IconBitmap factoryRomIcon(int n);
// Large character entry k (0..95, character 32 + k), 120 bytes.
IconBitmap factoryLargeAscii(int k);

} // namespace vantor::panelsim
