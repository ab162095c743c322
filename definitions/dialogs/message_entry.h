// The byte list of "Message Form" built key by key: decimal, hexadecimal or
// character entry, the byte being typed, the limit of the list and the three
// views. Plain code; the form feeds it the keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantor::dialogs {

enum class EntryMode : int { Decimal = 0, Hex = 1, Alpha = 2 };

class MessageEntry {
public:
    // Empties the list and the entry; `limit` bytes at most (31, or 62 for a
    // long on message).
    void start(std::size_t limit);
    // Hex text into the list, up to the limit.
    void load(const std::string& hexText);

    // A character key in the current mode. A byte is refused while the list is
    // full: the list and the byte being typed never hold more than the limit.
    void key(unsigned char ch);
    // Drops the byte being typed, or else removes the last byte.
    void deleteBackwards();

    // Another mode: the byte being typed is committed as it reads in the old mode.
    void setMode(EntryMode mode);
    EntryMode mode() const { return mode_; }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    const std::string& pending() const { return entry_; }
    std::size_t limit() const { return limit_; }

    // The views, each with the byte being typed at its end.
    std::string decimalView() const;
    std::string hexView() const;
    std::string alphaView() const;

private:
    void commit(unsigned value);
    bool full() const { return bytes_.size() >= limit_; }
    unsigned pendingValue() const;

    std::vector<std::uint8_t> bytes_;
    std::string entry_;
    EntryMode mode_ = EntryMode::Decimal;
    std::size_t limit_ = 31;
};

} // namespace vantor::dialogs
