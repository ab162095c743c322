// The queue in front of keyboard mode's typist: a typist that is held up
// (a slow desktop) lets at most 4096 pairs wait (and the rest of a macro
// begun); what does not fit is dropped a whole macro at a time and counted;
// everything that fitted is typed, in order, once the typist goes on.
#include "platform/keyboard/typing_worker.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>

namespace vantor::test {
namespace {

using keyboard::TypingWorker;

TEST(TypingWorker, AFullQueueDropsWholeMacrosAndTypesTheRestInOrder)
{
    std::mutex mutex;
    std::condition_variable changed;
    bool held = true;
    std::string typed; // each run of one character typed: "a4050 c46 "
    int results = 0;
    {
        TypingWorker worker(
            [&](const std::vector<std::uint8_t>& pairs, const std::atomic<bool>&) {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return !held; });
                typed += std::string(1, static_cast<char>(pairs[1])) + std::to_string(pairs.size() / 2) + " ";
                return keyboard::Result{keyboard::Outcome::Typed, {}, 0};
            },
            [&](const keyboard::Result&) { ++results; });
        const auto macro = [](char c, std::size_t keys) {
            std::vector<std::uint8_t> pairs;
            for (std::size_t i = 0; i < keys; ++i)
                pairs.insert(pairs.end(), {0x00, static_cast<std::uint8_t>(c)});
            return pairs;
        };
        // 4050 keys of a fill the queue nearly; b (100 keys, in two reads)
        // does not fit, and the second read of b goes with it; c fits, and
        // the rest of c goes a little past the capacity to be typed whole;
        // d does not fit.
        EXPECT_TRUE(worker.push(macro('a', 4050), true));
        EXPECT_FALSE(worker.push(macro('b', 60), true));
        EXPECT_FALSE(worker.push(macro('b', 40), false));
        EXPECT_TRUE(worker.push(macro('c', 40), true));
        EXPECT_TRUE(worker.push(macro('c', 30), false));
        EXPECT_FALSE(worker.push(macro('d', 1), true));
        EXPECT_EQ(worker.droppedMacros(), 2);
        {
            const std::lock_guard lock(mutex);
            held = false;
        }
        changed.notify_all();
        worker.waitIdle();
        EXPECT_TRUE(worker.push(macro('e', 4096), true));
        worker.waitIdle();
    }
    EXPECT_EQ(typed, "a4050 c40 c30 e4096 ");
    EXPECT_EQ(results, 4);
}

} // namespace
} // namespace vantor::test
