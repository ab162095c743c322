#include "definitions/dialogs/message_entry.h"

#include "definitions/message_text.h"

#include <cctype>

namespace vantor::dialogs {

namespace {

bool isHexDigit(unsigned char ch)
{
    return std::isdigit(ch) || (ch >= 'A' && ch <= 'F');
}

// Decimal digits read as a number; anything above 255 reads as 256.
unsigned decimalValue(const std::string& digits)
{
    unsigned value = 0;
    for (const char d : digits) {
        value = value * 10 + static_cast<unsigned>(d - '0');
        if (value > 255)
            return 256;
    }
    return value;
}

unsigned hexValue(const std::string& digits)
{
    return static_cast<unsigned>(std::stoul(digits, nullptr, 16));
}

std::string hexDigits(unsigned value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    if (value >= 16)
        out.push_back(digits[value >> 4]);
    out.push_back(digits[value & 15]);
    return out;
}

} // namespace

void MessageEntry::start(std::size_t limit)
{
    limit_ = limit;
    bytes_.clear();
    entry_.clear();
}

void MessageEntry::load(const std::string& hexText)
{
    for (const std::uint8_t b : hexTextToBytes(hexText)) {
        if (full())
            break;
        bytes_.push_back(b);
    }
}

void MessageEntry::commit(unsigned value)
{
    if (!full())
        bytes_.push_back(static_cast<std::uint8_t>(value));
    entry_.clear();
}

unsigned MessageEntry::pendingValue() const
{
    if (entry_.empty())
        return 0;
    return mode_ == EntryMode::Hex ? hexValue(entry_) : decimalValue(entry_);
}

void MessageEntry::key(unsigned char ch)
{
    if (mode_ == EntryMode::Alpha) {
        commit(ch);
        return;
    }
    // A new byte needs room in the list: a full list refuses it.
    if (entry_.empty() && full())
        return;
    if (mode_ == EntryMode::Decimal) {
        if (!std::isdigit(ch))
            return;
        entry_.push_back(static_cast<char>(ch));
        while (decimalValue(entry_) > 255) {
            const char last = entry_.back();
            entry_.pop_back();
            commit(decimalValue(entry_));
            entry_.assign(1, last);
        }
    } else {
        ch = static_cast<unsigned char>(std::toupper(ch));
        if (!isHexDigit(ch))
            return;
        entry_.push_back(static_cast<char>(ch));
        while (entry_.size() > 2) {
            const char last = entry_.back();
            commit(hexValue(entry_.substr(0, 2)));
            entry_.assign(1, last);
        }
    }
    // The digit left over from a commit that filled the list has no room.
    if (full())
        entry_.clear();
}

void MessageEntry::deleteBackwards()
{
    if (!entry_.empty())
        entry_.clear();
    else if (!bytes_.empty())
        bytes_.pop_back();
}

void MessageEntry::setMode(EntryMode mode)
{
    if (mode == mode_)
        return;
    if (!entry_.empty())
        commit(pendingValue());
    mode_ = mode;
}

std::string MessageEntry::decimalView() const
{
    std::string view = vantor::decimalView(bytes_);
    if (entry_.empty())
        return view;
    if (mode_ == EntryMode::Decimal)
        return view + entry_;
    return view + " " + std::to_string(pendingValue());
}

std::string MessageEntry::hexView() const
{
    std::string view = vantor::hexView(bytes_);
    if (entry_.empty())
        return view;
    if (mode_ == EntryMode::Hex)
        return view + entry_;
    return view + hexDigits(pendingValue());
}

std::string MessageEntry::alphaView() const
{
    std::string view = vantor::alphaView(bytes_);
    if (!entry_.empty()) {
        const unsigned value = pendingValue();
        view.push_back(value == 0 ? ' ' : static_cast<char>(value));
    }
    return view;
}

} // namespace vantor::dialogs
