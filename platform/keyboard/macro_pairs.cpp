// Pairs of keyboard macros across reads of the port.
#include "platform/keyboard/macro_pairs.h"

namespace vantor::keyboard {

std::vector<std::uint8_t> MacroPairs::take(const std::vector<std::uint8_t>& bytes, Clock::time_point now)
{
    if (bytes.empty())
        return {};
    startedMacro_ = !seen_ || now - last_ >= kMacroPause;
    seen_ = true;
    if (held_ && startedMacro_) {
        held_.reset();
        ++unpaired_;
    }
    last_ = now;
    std::vector<std::uint8_t> pairs;
    pairs.reserve(bytes.size() + 1);
    if (held_)
        pairs.push_back(*held_);
    pairs.insert(pairs.end(), bytes.begin(), bytes.end());
    held_.reset();
    if (pairs.size() % 2 != 0) {
        held_ = pairs.back();
        pairs.pop_back();
    }
    return pairs;
}

} // namespace vantor::keyboard
