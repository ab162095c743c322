// The panel's replies cut out of the bytes that arrived: a definition dump
// (F0 15 2C 7E position bank ..., 114 bytes) or icon data (F0 15 2C 04 00 06
// number ... F7). Bytes before a frame head are skipped, a frame cut short by
// the head of the next one is dropped (a definition of at least 100 bytes is
// kept, as a short reply), and nothing here ever waits: the caller feeds what
// the port handed back and takes whole frames out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vantor {

struct ReplyFrame {
    enum class Kind { Definition, Icon };
    Kind kind = Kind::Definition;
    std::vector<std::uint8_t> bytes;
    // Definition: bytes 5 and 6 (position, bank); icon: byte 7 (its number).
    int position() const { return bytes.size() > 4 ? bytes[4] : -1; }
    int bank() const { return bytes.size() > 5 ? bytes[5] : -1; }
    int iconNumber() const { return bytes.size() > 6 ? bytes[6] : -1; }
};

class ReplyBuffer {
public:
    void add(const std::vector<std::uint8_t>& bytes);
    // The next whole frame, or nothing yet. With `settled` (no more bytes are
    // coming for the frame in progress), a definition of at least 100 bytes
    // whose rest never came is taken as it is.
    std::optional<ReplyFrame> next(bool settled = false);
    // A frame head has arrived whose frame is not complete yet.
    bool midFrame();
    void clear() { buf_.clear(); }
    std::size_t size() const { return buf_.size(); }

private:
    // Drops what cannot begin a frame; true when buf_ starts with a frame head
    // whose kind is known (or may still become one).
    void resync();
    std::vector<std::uint8_t> buf_;
};

} // namespace vantor
