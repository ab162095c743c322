#pragma once
// The icon cache as a run before left it: the simulated panel's ROM icons and
// large characters, in $XDG_CACHE_HOME/vantor (the test points XDG_CACHE_HOME
// into its own folder first).
#include "definitions/key_definition.h"
#include "devicelink/icon_cache.h"
#include "devicelink/transfers.h"
#include "tools/panelsim/panel_sim.h"

#include <gtest/gtest.h>

namespace vantor::test {

inline void fillIconCache(const panelsim::PanelSim& sim)
{
    for (IconSet set : {IconSet::RomIcons, IconSet::LargeAscii}) {
        IconStore icons;
        for (int i = 0; i < iconSetSize(set); ++i)
            icons.push_back(sim.icon(set, i));
        ASSERT_TRUE(writeIconCache(iconCacheFolder(), set, icons));
    }
}

// The requests of a connect: the probe, the ROM icons and large characters
// given (by entry), all RAM icons, then the 90 definitions in table order.
inline std::vector<std::vector<std::uint8_t>> connectRequests(const std::vector<int>& rom,
                                                              const std::vector<int>& large)
{
    // The probe, the definitions, then the icons: RAM, ROM, large characters.
    std::vector<std::vector<std::uint8_t>> r{link::probe()};
    KeyDefinitionTable t;
    for (int d = 0; d < kDefinitionCount; ++d)
        r.push_back(link::definitionRequest(t[d].position(), t[d].bank()));
    for (int i = 0; i < kRamIconCount; ++i)
        r.push_back(link::iconRequest(0x7E, i));
    for (int i : rom)
        r.push_back(link::iconRequest(0x7F, i));
    for (int i : large)
        r.push_back(link::iconRequest(0x7D, 32 + i));
    return r;
}

} // namespace vantor::test
