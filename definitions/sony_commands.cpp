#include "definitions/sony_commands.h"

#include <string>

namespace vantor {

namespace {

// Built as one text: "name,<three raw bytes>|" per entry. No byte of the
// table is a comma (2C) or "|" (7C), which the packing needs.
const std::string& packedTable()
{
    struct Entry {
        const char* name;
        unsigned char a, b, c;
    };
    static const Entry entries[] = {
        {"Local Disable", 0x00, 0x0C, 0x0C},
        {"Local Enable", 0x00, 0x1D, 0x1D},
        {"Stop", 0x20, 0x00, 0x20},
        {"Play", 0x20, 0x01, 0x21},
        {"Record", 0x20, 0x02, 0x22},
        {"Standby Off", 0x20, 0x04, 0x24},
        {"Standby On", 0x20, 0x05, 0x25},
        {"Eject", 0x20, 0x0F, 0x2F},
        {"Fast Fwd", 0x20, 0x10, 0x30},
        {"Rewind", 0x20, 0x20, 0x40},
        {"Preroll", 0x20, 0x30, 0x50},
        {"Preview", 0x20, 0x40, 0x60},
        {"Review", 0x20, 0x41, 0x61},
        {"Auto Edit", 0x20, 0x42, 0x62},
        {"Outpoint Preview", 0x20, 0x43, 0x63},
        {"Full EE Off", 0x20, 0x60, 0x80},
        {"Full EE On", 0x20, 0x61, 0x81},
        {"Select EE On", 0x20, 0x63, 0x83},
        {"Edit Off", 0x20, 0x64, 0x84},
        {"Edit On", 0x20, 0x65, 0x85},
        {"Freeze Off", 0x20, 0x6A, 0x8A},
        {"Freeze On", 0x20, 0x6B, 0x8B},
        {"Timer-1 Reset", 0x40, 0x08, 0x48},
        {"In Entry", 0x40, 0x10, 0x50},
        {"Out Entry", 0x40, 0x11, 0x51},
        {"Auto Mode Off", 0x40, 0x40, 0x80},
        {"Auto Mode On", 0x40, 0x41, 0x81},
    };
    static const std::string text = [] {
        std::string t;
        for (const Entry& e : entries) {
            t += e.name;
            t += ',';
            t += static_cast<char>(e.a);
            t += static_cast<char>(e.b);
            t += static_cast<char>(e.c);
            t += '|';
        }
        return t;
    }();
    return text;
}

} // namespace

std::string_view sonyCommandText()
{
    return packedTable();
}

std::vector<SonyCommand> parseSonyCommands(std::string_view packed)
{
    std::vector<SonyCommand> out;
    std::size_t start = 0;
    while (start < packed.size()) {
        std::size_t bar = packed.find('|', start);
        if (bar == std::string_view::npos)
            bar = packed.size();
        const std::string_view entry = packed.substr(start, bar - start);
        start = bar + 1;
        if (entry.empty())
            continue;
        SonyCommand cmd;
        const std::size_t comma1 = entry.find(',');
        cmd.name = std::string(entry.substr(0, comma1));
        if (comma1 != std::string_view::npos) {
            const std::size_t comma2 = entry.find(',', comma1 + 1);
            const std::string_view raw = entry.substr(
                comma1 + 1, comma2 == std::string_view::npos ? std::string_view::npos : comma2 - comma1 - 1);
            cmd.bytes.assign(raw.begin(), raw.end());
        }
        out.push_back(std::move(cmd));
    }
    return out;
}

const std::vector<SonyCommand>& sonyCommands()
{
    static const std::vector<SonyCommand> table = parseSonyCommands(sonyCommandText());
    return table;
}

} // namespace vantor
