#include "definitions/message_text.h"

namespace vantor {

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads hex digits up to the first other character; only the low eight bits
// of the number are kept, so long tokens cannot overflow.
std::uint8_t hexTokenValue(std::string_view token)
{
    unsigned value = 0;
    for (char c : token) {
        const int d = hexDigitValue(c);
        if (d < 0)
            break;
        value = ((value << 4) | static_cast<unsigned>(d)) & 0xFFu;
    }
    return static_cast<std::uint8_t>(value);
}

} // namespace

std::string bytesToHexText(std::span<const std::uint8_t> bytes)
{
    std::string out;
    out.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) {
        out.push_back(kHexDigits[b >> 4]);
        out.push_back(kHexDigits[b & 0x0F]);
        out.push_back(' ');
    }
    return out;
}

std::vector<std::uint8_t> hexTextToBytes(std::string_view text)
{
    std::vector<std::uint8_t> out;
    if (text.empty())
        return out;
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return out; // only blanks: nothing left to split
    std::size_t start = 0;
    while (true) {
        const std::size_t blank = text.find(' ', start);
        const std::string_view token =
            text.substr(start, blank == std::string_view::npos ? std::string_view::npos : blank - start);
        out.push_back(hexTokenValue(token));
        if (blank == std::string_view::npos)
            break;
        start = blank + 1;
    }
    return out;
}

std::string keyboardBytesToText(std::span<const std::uint8_t> bytes)
{
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const std::uint8_t mods = bytes[i];
        if (mods & (kModShift | kModAlt | kModCtrl)) {
            out.push_back('{');
            if (mods & kModShift)
                out.push_back('S');
            if (mods & kModAlt)
                out.push_back('A');
            if (mods & kModCtrl)
                out.push_back('C');
            out.push_back('}');
        } else if (i + 1 < bytes.size() && bytes[i + 1] == '{') {
            out += "{}"; // an empty group: the "{" after it is the key, not a group of its own
        }
        if (i + 1 < bytes.size())
            out.push_back(static_cast<char>(bytes[i + 1]));
    }
    return out;
}

std::vector<std::uint8_t> keyboardTextToBytes(std::string_view text)
{
    std::vector<std::uint8_t> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i++];
        if (c != '{') {
            out.push_back(0);
            out.push_back(static_cast<std::uint8_t>(c));
            continue;
        }
        std::uint8_t mods = 0;
        const std::size_t close = text.find('}', i);
        if (close != std::string_view::npos) {
            const std::string_view group = text.substr(i, close - i);
            if (group.find('S') != std::string_view::npos)
                mods |= kModShift;
            if (group.find('A') != std::string_view::npos)
                mods |= kModAlt;
            if (group.find('C') != std::string_view::npos)
                mods |= kModCtrl;
            i = close + 1;
        }
        out.push_back(mods);
        if (i < text.size())
            out.push_back(static_cast<std::uint8_t>(text[i++]));
        else
            out.push_back(0);
    }
    return out;
}

std::string decimalView(std::span<const std::uint8_t> bytes)
{
    std::string out;
    for (std::uint8_t b : bytes) {
        out += std::to_string(b);
        out.push_back(' ');
    }
    return out;
}

std::string hexView(std::span<const std::uint8_t> bytes)
{
    return bytesToHexText(bytes);
}

std::string alphaView(std::span<const std::uint8_t> bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::uint8_t b : bytes)
        out.push_back(b == 0 ? ' ' : static_cast<char>(b));
    return out;
}

std::uint8_t sonyChecksum(std::span<const std::uint8_t> bytes)
{
    unsigned sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::uint8_t vdcpChecksum(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() <= 2)
        return 0;
    unsigned sum = 0;
    for (std::size_t i = 2; i < bytes.size(); ++i)
        sum += bytes[i];
    return static_cast<std::uint8_t>((0x100 - (sum & 0xFF)) & 0xFF);
}

std::uint8_t messageChecksum(std::span<const std::uint8_t> bytes, ChecksumKind kind)
{
    switch (kind) {
    case ChecksumKind::Sony: return sonyChecksum(bytes);
    case ChecksumKind::Vdcp: return vdcpChecksum(bytes);
    case ChecksumKind::None: break;
    }
    return 0;
}

std::vector<std::uint8_t> appendChecksum(std::span<const std::uint8_t> bytes, ChecksumKind kind)
{
    std::vector<std::uint8_t> out(bytes.begin(), bytes.end());
    if (kind == ChecksumKind::Sony || kind == ChecksumKind::Vdcp)
        out.push_back(messageChecksum(bytes, kind));
    return out;
}

} // namespace vantor
