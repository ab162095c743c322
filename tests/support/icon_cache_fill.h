#pragma once
// The icon cache as a run before left it: the simulated panel's ROM icons and
// large characters, in $XDG_CACHE_HOME/vantor (the test points XDG_CACHE_HOME
// into its own folder first).
#include "devicelink/icon_cache.h"
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

} // namespace vantor::test
