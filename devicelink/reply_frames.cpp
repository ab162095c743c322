#include "devicelink/reply_frames.h"

#include <algorithm>

namespace vantor {

namespace {

constexpr std::size_t kDefinitionBytes = 114;
constexpr std::size_t kShortestDefinition = 100;
constexpr std::size_t kIconBytes = 251;

using Bytes = std::vector<std::uint8_t>;

// What may stand at `at`: 0 no frame head, 1 a definition head, 2 an icon
// head, 3 not decidable yet (the buffer ends inside the head).
int headAt(const Bytes& b, std::size_t at)
{
    static const std::uint8_t head[] = {0xF0, 0x15, 0x2C};
    for (std::size_t i = 0; i < 3; ++i) {
        if (at + i >= b.size())
            return 3;
        if (b[at + i] != head[i])
            return 0;
    }
    if (at + 3 >= b.size())
        return 3;
    if (b[at + 3] == 0x7E)
        return 1;
    if (b[at + 3] != 0x04)
        return 0;
    if (at + 5 >= b.size())
        return 3;
    return b[at + 4] == 0x00 && b[at + 5] == 0x06 ? 2 : 0;
}

// A head inside a frame that starts another reply: a definition head with a
// position and bank the panel has, or an icon head.
bool nextReplyAt(const Bytes& b, std::size_t at)
{
    const int h = headAt(b, at);
    if (h == 2)
        return true;
    if (h != 1 || at + 5 >= b.size())
        return false;
    return b[at + 4] <= 9 && b[at + 5] <= 8;
}

} // namespace

void ReplyBuffer::add(const Bytes& bytes)
{
    buf_.insert(buf_.end(), bytes.begin(), bytes.end());
}

void ReplyBuffer::resync()
{
    std::size_t skip = 0;
    while (skip < buf_.size() && headAt(buf_, skip) == 0)
        ++skip;
    buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(skip));
}

bool ReplyBuffer::midFrame()
{
    resync();
    const int kind = buf_.empty() ? 0 : headAt(buf_, 0);
    return kind == 1 || kind == 2;
}

std::optional<ReplyFrame> ReplyBuffer::next(bool settled)
{
    for (;;) {
        resync();
        if (buf_.empty())
            return std::nullopt;
        const int kind = headAt(buf_, 0);
        if (kind == 3)
            return std::nullopt;
        const std::size_t limit = kind == 1 ? kDefinitionBytes : kIconBytes;
        // Where this frame ends: its full length, its F7 (icons), or the head
        // of the next reply.
        std::size_t end = 0;
        bool cut = false;
        for (std::size_t i = 4; i < std::min(buf_.size(), limit) && end == 0; ++i) {
            if (buf_[i] == 0xF0 && nextReplyAt(buf_, i)) {
                end = i;
                cut = true;
            } else if (kind == 2 && i >= 7 && buf_[i] == 0xF7) {
                end = i + 1;
            }
        }
        if (end == 0 && buf_.size() >= limit) {
            if (kind == 1)
                end = limit;
            else { // icon data longer than any icon: not a reply
                buf_.erase(buf_.begin());
                continue;
            }
        }
        if (end == 0) {
            if (settled && kind == 1 && buf_.size() >= kShortestDefinition) {
                ReplyFrame f{ReplyFrame::Kind::Definition, buf_};
                buf_.clear();
                return f;
            }
            return std::nullopt;
        }
        Bytes frame(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(end));
        buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(end));
        if (cut && !(kind == 1 && frame.size() >= kShortestDefinition))
            continue; // half a reply, the next one began
        return ReplyFrame{kind == 1 ? ReplyFrame::Kind::Definition : ReplyFrame::Kind::Icon, std::move(frame)};
    }
}

} // namespace vantor
