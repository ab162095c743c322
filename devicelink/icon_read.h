// What the icon read (icon_read.cpp) keeps between its turns; inside the
// device link only.
#pragma once

#include "devicelink/transfers.h"

#include <cstdint>
#include <vector>

namespace vantor {

struct DeviceLink::IconRead {
    std::vector<IconPhase> phases; // this one first
    bool foreground = false;       // the progress window shows it; the caller waits
    bool windowOpen = false;       // the running phase's progress window is up
    bool dropped = false;          // ended while one of its turns ran: gone after that turn
    bool readEverything = false;   // the cache is not checked, and renewed
    // The running phase: the slots it asks for, in order.
    std::vector<int> items;
    std::size_t next = 0;
    int inFlight = -1; // the slot whose reply the line is busy with
    std::uint32_t sentAt = 0, reference = 0;
    bool askedAgain = false; // the slots still missing at the end were asked once more
    Awaited awaited{0};
    IconStore replies;
    IconStore cached; // the cache's copy of a set being checked
    bool differs = false;
    // Replies taken, for the status strip's percent.
    int done = 0;

    IconPhase phase() const { return phases.front(); }
    IconSet set() const
    {
        switch (phase()) {
        case IconPhase::Ram: return IconSet::RamIcons;
        case IconPhase::RomCheck:
        case IconPhase::Rom: return IconSet::RomIcons;
        case IconPhase::LargeCheck:
        case IconPhase::Large: break;
        }
        return IconSet::LargeAscii;
    }
    bool checking() const { return phase() == IconPhase::RomCheck || phase() == IconPhase::LargeCheck; }
    // A large character's request names its code; its reply carries code - 32.
    int requestIndex(int slot) const { return set() == IconSet::LargeAscii ? slot + 32 : slot; }
};

} // namespace vantor
