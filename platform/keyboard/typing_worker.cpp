// The worker thread of keyboard mode and its bounded queue.
#include "platform/keyboard/typing_worker.h"

namespace vantor::keyboard {

TypingWorker::TypingWorker(TypeFunction type, DoneFunction done)
    : type_(std::move(type)), done_(std::move(done)), thread_([this] { run(); })
{ }

TypingWorker::~TypingWorker()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    thread_.join();
}

bool TypingWorker::push(std::vector<std::uint8_t> pairs, bool startsMacro)
{
    const std::size_t n = pairs.size() / 2;
    {
        const std::lock_guard lock(mutex_);
        if (droppingMacro_ && !startsMacro)
            return false;
        // The rest of a macro whose start was queued may go past the capacity
        // by a little, so that it is typed whole.
        if (pairs_ + n > kCapacity + (startsMacro ? 0 : kMacroRoom)) {
            droppingMacro_ = true;
            ++dropped_;
            return false;
        }
        droppingMacro_ = false;
        pairs_ += n;
        queue_.push_back(std::move(pairs));
    }
    wake_.notify_one();
    return true;
}

int TypingWorker::droppedMacros() const
{
    const std::lock_guard lock(mutex_);
    return dropped_;
}

void TypingWorker::waitIdle()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void TypingWorker::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_)
            break;
        const std::vector<std::uint8_t> pairs = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        const Result result = type_(pairs, stopping_);
        done_(result);
        lock.lock();
        pairs_ -= pairs.size() / 2;
        busy_ = false;
        idle_.notify_all();
    }
    busy_ = false;
    idle_.notify_all();
}

} // namespace vantor::keyboard
