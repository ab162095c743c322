// The platform's millisecond tick and sleep.
#pragma once

#include <cstdint>

namespace vantor {

// Milliseconds since an arbitrary start, as a 32-bit counter that wraps
// around after about 49.7 days. Only differences are meaningful.
std::uint32_t tickCount();

// Milliseconds from `since` to `now`, valid across a wrap of the counter
// (unsigned arithmetic), as long as less than 2^32 ms passed.
constexpr std::uint32_t elapsedMs(std::uint32_t since, std::uint32_t now)
{
    return now - since;
}
inline std::uint32_t elapsedMs(std::uint32_t since)
{
    return elapsedMs(since, tickCount());
}

// Sleeps at least ms milliseconds (restarted after signals).
void sleepMs(std::uint32_t ms);

// Shifts the counter by `offset` ms (tests put it just before the wrap).
void setTickOffsetForTesting(std::uint32_t offset);

} // namespace vantor
