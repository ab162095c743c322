// One typist off the GUI thread: the pairs of what the panel sent wait in a
// bounded queue and a worker thread types them at the pace of the backend, so
// the window stays responsive however long a macro is. The worker only types;
// what it found out (a message for the user, keys skipped) is handed back
// through `done`, which the caller forwards to its own thread.
#pragma once

#include "platform/keyboard/key_injection.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vantor::keyboard {

class TypingWorker {
public:
    // At most this many pairs wait or are being typed (a long on message holds 31).
    static constexpr std::size_t kCapacity = 4096;
    // How far the later reads of a macro whose start was queued may go past
    // it (two long on messages of 31 keys and more).
    static constexpr std::size_t kMacroRoom = 64;
    // Types some pairs; runs on the worker thread. `stopping` turns true when
    // the worker is asked to end: a long run stops at the next pair.
    using TypeFunction =
        std::function<Result(const std::vector<std::uint8_t>& pairs, const std::atomic<bool>& stopping)>;
    // Called on the worker thread with the result of each read's pairs.
    using DoneFunction = std::function<void(const Result&)>;

    TypingWorker(TypeFunction type, DoneFunction done);
    // Drops what waits and ends the worker once the pair being typed is done.
    ~TypingWorker();
    TypingWorker(const TypingWorker&) = delete;
    TypingWorker& operator=(const TypingWorker&) = delete;

    // Queues the pairs of one read; `startsMacro` when a pause came before
    // them. What does not fit is dropped a whole macro at a time: the pairs of
    // a macro whose start was dropped are dropped too, and those of a macro
    // whose start was queued are queued up to kMacroRoom past the capacity.
    // False when dropped.
    bool push(std::vector<std::uint8_t> pairs, bool startsMacro);
    // Macros dropped because the queue was full.
    int droppedMacros() const;
    // Returns once nothing waits and nothing is being typed (and `done` has
    // been called for all of it).
    void waitIdle();

private:
    void run();

    TypeFunction type_;
    DoneFunction done_;
    mutable std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<std::vector<std::uint8_t>> queue_;
    std::size_t pairs_ = 0; // waiting or being typed
    bool busy_ = false;
    bool droppingMacro_ = false;
    int dropped_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace vantor::keyboard
