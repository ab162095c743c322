// Arbitrary bytes from the line, handed over in pieces of arbitrary sizes, into
// the reader of the panel's replies: whatever comes out is a whole frame.
#include "devicelink/reply_frames.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    vantor::ReplyBuffer buffer;
    const std::size_t piece = 1 + data[0] % 64;
    std::size_t in = 0, out = 0;
    auto check = [&](const vantor::ReplyFrame& f) {
        const auto& b = f.bytes;
        if (b.size() < 4 || b[0] != 0xF0 || b[1] != 0x15 || b[2] != 0x2C)
            __builtin_trap();
        if (f.kind == vantor::ReplyFrame::Kind::Definition && (b[3] != 0x7E || b.size() < 100 || b.size() > 114))
            __builtin_trap();
        if (f.kind == vantor::ReplyFrame::Kind::Icon && (b[3] != 0x04 || b.back() != 0xF7 || b.size() > 251))
            __builtin_trap();
        out += b.size();
    };
    for (std::size_t at = 1; at < size; at += piece) {
        const std::size_t n = at + piece <= size ? piece : size - at;
        buffer.add(std::vector<std::uint8_t>(data + at, data + at + n));
        in += n;
        while (auto f = buffer.next())
            check(*f);
    }
    while (auto f = buffer.next(true))
        check(*f);
    if (out + buffer.size() > in)
        __builtin_trap(); // no byte comes out twice
    return 0;
}
