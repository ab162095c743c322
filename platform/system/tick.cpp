#include "platform/system/tick.h"

#include <atomic>
#include <cerrno>
#include <ctime>

namespace vantor {

namespace {
std::atomic<std::uint32_t> tickOffset{0};
}

std::uint32_t tickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const std::uint64_t ms =
        static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms) + tickOffset.load(std::memory_order_relaxed);
}

void sleepMs(std::uint32_t ms)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    timespec until = now;
    until.tv_sec += ms / 1000;
    until.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (until.tv_nsec >= 1000000000L) {
        until.tv_sec += 1;
        until.tv_nsec -= 1000000000L;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) { }
}

void setTickOffsetForTesting(std::uint32_t offset)
{
    tickOffset.store(offset, std::memory_order_relaxed);
}

} // namespace vantor
