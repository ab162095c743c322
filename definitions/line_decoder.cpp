#include "definitions/line_decoder.h"

#include "definitions/message_text.h"
#include "definitions/windows1252.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantor {

namespace {

// ---- the 9-pin command set: CMD1 (group and data count) and CMD2

const std::vector<SonyCommandName> kSony{
    // system control and its returns
    {0x00, 0x0C, "Local Disable"},
    {0x00, 0x11, "Device Type Request"},
    {0x00, 0x1D, "Local Enable"},
    {0x10, 0x01, "ACK"},
    {0x11, 0x12, "NAK"},
    {0x12, 0x11, "Device Type"},
    // transport control
    {0x20, 0x00, "Stop"},
    {0x20, 0x01, "Play"},
    {0x20, 0x02, "Record"},
    {0x20, 0x04, "Standby Off"},
    {0x20, 0x05, "Standby On"},
    {0x20, 0x0F, "Eject"},
    {0x20, 0x10, "Fast Fwd"},
    {0x21, 0x11, "Jog Fwd"},
    {0x22, 0x11, "Jog Fwd"},
    {0x21, 0x12, "Var Fwd"},
    {0x22, 0x12, "Var Fwd"},
    {0x21, 0x13, "Shuttle Fwd"},
    {0x22, 0x13, "Shuttle Fwd"},
    {0x20, 0x14, "Frame Step Fwd"},
    {0x20, 0x20, "Rewind"},
    {0x21, 0x21, "Jog Rev"},
    {0x22, 0x21, "Jog Rev"},
    {0x21, 0x22, "Var Rev"},
    {0x22, 0x22, "Var Rev"},
    {0x21, 0x23, "Shuttle Rev"},
    {0x22, 0x23, "Shuttle Rev"},
    {0x20, 0x24, "Frame Step Rev"},
    {0x20, 0x30, "Preroll"},
    {0x24, 0x31, "Cue Up With Data"},
    {0x20, 0x34, "Sync Play"},
    {0x21, 0x38, "Prog Speed Play +"},
    {0x21, 0x39, "Prog Speed Play -"},
    {0x20, 0x40, "Preview"},
    {0x20, 0x41, "Review"},
    {0x20, 0x42, "Auto Edit"},
    {0x20, 0x43, "Outpoint Preview"},
    {0x20, 0x54, "Anti-Clog Timer Disable"},
    {0x20, 0x55, "Anti-Clog Timer Enable"},
    {0x20, 0x60, "Full EE Off"},
    {0x20, 0x61, "Full EE On"},
    {0x20, 0x63, "Select EE On"},
    {0x20, 0x64, "Edit Off"},
    {0x20, 0x65, "Edit On"},
    {0x20, 0x6A, "Freeze Off"},
    {0x20, 0x6B, "Freeze On"},
    // preset / select control
    {0x44, 0x00, "Timer-1 Preset"},
    {0x44, 0x04, "Time Code Preset"},
    {0x44, 0x05, "User Bit Preset"},
    {0x40, 0x08, "Timer-1 Reset"},
    {0x40, 0x10, "In Entry"},
    {0x40, 0x11, "Out Entry"},
    {0x40, 0x12, "Audio In Entry"},
    {0x40, 0x13, "Audio Out Entry"},
    {0x44, 0x14, "In Data Preset"},
    {0x44, 0x15, "Out Data Preset"},
    {0x44, 0x16, "Audio In Data Preset"},
    {0x44, 0x17, "Audio Out Data Preset"},
    {0x40, 0x18, "In Shift +"},
    {0x40, 0x19, "In Shift -"},
    {0x40, 0x1A, "Out Shift +"},
    {0x40, 0x1B, "Out Shift -"},
    {0x40, 0x1C, "Audio In Shift +"},
    {0x40, 0x1D, "Audio In Shift -"},
    {0x40, 0x1E, "Audio Out Shift +"},
    {0x40, 0x1F, "Audio Out Shift -"},
    {0x40, 0x20, "In Reset"},
    {0x40, 0x21, "Out Reset"},
    {0x40, 0x22, "Audio In Reset"},
    {0x40, 0x23, "Audio Out Reset"},
    {0x40, 0x24, "In Recall"},
    {0x40, 0x25, "Out Recall"},
    {0x40, 0x26, "Audio In Recall"},
    {0x40, 0x27, "Audio Out Recall"},
    {0x40, 0x2D, "Lost Lock Reset"},
    {0x41, 0x30, "Edit Preset"},
    {0x44, 0x31, "Preroll Time Preset"},
    {0x41, 0x32, "Tape/Auto Select"},
    {0x41, 0x33, "Servo Ref Select"},
    {0x41, 0x34, "Head Select"},
    {0x41, 0x35, "Color Frame Select"},
    {0x41, 0x36, "Timer Mode Select"},
    {0x41, 0x37, "Input Check"},
    {0x41, 0x3A, "Edit Field Select"},
    {0x41, 0x3B, "Freeze Mode Select"},
    {0x40, 0x3E, "Record Inhibit"},
    {0x40, 0x40, "Auto Mode Off"},
    {0x40, 0x41, "Auto Mode On"},
    {0x40, 0x42, "Spot Erase Off"},
    {0x40, 0x43, "Spot Erase On"},
    {0x40, 0x44, "Audio Split Off"},
    {0x40, 0x45, "Audio Split On"},
    // sense requests
    {0x61, 0x0A, "TC Gen Sense"},
    {0x61, 0x0C, "Current Time Sense"},
    {0x60, 0x10, "In Data Sense"},
    {0x60, 0x11, "Out Data Sense"},
    {0x60, 0x12, "Audio In Data Sense"},
    {0x60, 0x13, "Audio Out Data Sense"},
    {0x61, 0x20, "Status Sense"},
    {0x61, 0x21, "Extended VTR Status"},
    {0x62, 0x23, "Signal Control Sense"},
    {0x61, 0x28, "Local Key Map Sense"},
    {0x61, 0x2A, "Head Meter Sense"},
    {0x60, 0x2B, "Remaining Time Sense"},
    {0x60, 0x2E, "Cmd Speed Sense"},
    {0x61, 0x30, "Edit Preset Sense"},
    {0x60, 0x31, "Preroll Time Sense"},
    {0x60, 0x36, "Timer Mode Sense"},
    {0x60, 0x3E, "Record Inhibit Sense"},
    // sense returns (the data count of a status or speed reply varies)
    {0x74, 0x00, "Timer-1 Time Data"},
    {0x74, 0x01, "Timer-2 Time Data"},
    {0x74, 0x04, "LTC Time Data"},
    {0x78, 0x04, "LTC Time & UB Data"},
    {0x74, 0x05, "LTC UB Data"},
    {0x74, 0x06, "VITC Time Data"},
    {0x78, 0x06, "VITC Time & UB Data"},
    {0x74, 0x07, "VITC UB Data"},
    {0x74, 0x08, "Gen Time Data"},
    {0x78, 0x08, "Gen TC & UB Data"},
    {0x74, 0x09, "Gen UB Data"},
    {0x74, 0x10, "In Data"},
    {0x74, 0x11, "Out Data"},
    {0x74, 0x12, "Audio In Data"},
    {0x74, 0x13, "Audio Out Data"},
    {0x74, 0x14, "Corrected LTC Time Data"},
    {0x70, 0x20, "Status Data"},
    {0x70, 0x21, "Extended Status Data"},
    {0x70, 0x2E, "Speed Data"},
    {0x74, 0x31, "Preroll Time Data"},
    {0x71, 0x36, "Timer Mode Data"},
    {0x71, 0x3E, "Record Inhibit Status"},
};

// Replies whose data count varies: matched on the group and CMD2 alone.
bool anyCount(std::uint8_t cmd1)
{
    return cmd1 == 0x70;
}

const SonyCommandName* sonyName(std::uint8_t cmd1, std::uint8_t cmd2)
{
    for (const auto& c : kSony)
        if (c.cmd2 == cmd2 && (c.cmd1 == cmd1 || (anyCount(c.cmd1) && (cmd1 & 0xF0) == 0x70)))
            return &c;
    return nullptr;
}

bool sonyGroup(std::uint8_t cmd1)
{
    switch (cmd1 >> 4) {
    case 0x0:
    case 0x1:
    case 0x2:
    case 0x4:
    case 0x6:
    case 0x7: return true;
    default: return false;
    }
}

// ---- VDCP: type (0 system, 1 immediate, 2 preset/select, 3 sense) and CMD2;
// the sense returns carry CMD2 with bit 7 set.
const std::vector<VdcpCommandName> kVdcp{
    {0, 0x0C, "Local Disable"},
    {0, 0x0D, "Local Enable"},
    {0, 0x15, "Delete Protect ID"},
    {0, 0x16, "Undelete Protect ID"},
    {1, 0x00, "Stop"},
    {1, 0x01, "Play"},
    {1, 0x02, "Record"},
    {1, 0x03, "Freeze"},
    {1, 0x04, "Still"},
    {1, 0x05, "Step"},
    {1, 0x06, "Continue"},
    {1, 0x07, "Jog"},
    {1, 0x08, "Variable Play"},
    {1, 0x09, "Unfreeze"},
    {1, 0x0A, "EE Mode"},
    {2, 0x1D, "Rename ID"},
    {2, 0x1E, "Preset Standard Time"},
    {2, 0x1F, "New Copy"},
    {2, 0x20, "Sort Mode"},
    {2, 0x21, "Close Port"},
    {2, 0x22, "Select Port"},
    {2, 0x23, "Record Init"},
    {2, 0x24, "Play Cue"},
    {2, 0x25, "Cue With Data"},
    {2, 0x2C, "Record Init With Data"},
    {3, 0x01, "Open Port"},
    {3, 0x02, "Next"},
    {3, 0x05, "Port Status Request"},
    {3, 0x06, "Position Request"},
    {3, 0x07, "Active ID Request"},
    {3, 0x08, "Device Type Request"},
    {3, 0x10, "System Status Request"},
    {3, 0x11, "List of IDs"},
    {3, 0x14, "ID Size Request"},
    {3, 0x16, "ID Request"},
    {3, 0x18, "IDs Added List Request"},
    {3, 0x19, "IDs Deleted List Request"},
    {3, 0x81, "Grant"},
    {3, 0x82, "Next IDs"},
    {3, 0x85, "Port Status"},
    {3, 0x86, "Position"},
    {3, 0x87, "Active ID"},
    {3, 0x88, "Device Type"},
    {3, 0x90, "System Status"},
    {3, 0x91, "First IDs"},
    {3, 0x94, "ID Size"},
    {3, 0x96, "ID Presence"},
    {3, 0x98, "IDs Added List"},
    {3, 0x99, "IDs Deleted List"},
};

const char* vdcpName(std::uint8_t cmd1, std::uint8_t cmd2)
{
    const auto type = static_cast<std::uint8_t>((cmd1 >> 4) & 0x07);
    for (const auto& c : kVdcp)
        if (c.type == type && c.cmd2 == cmd2)
            return c.name;
    return nullptr;
}

std::string hex2(std::uint8_t b)
{
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", b);
    return buf;
}

std::string joined(const std::vector<std::string>& parts, const char* separator = ", ")
{
    std::string out;
    for (const auto& p : parts) {
        if (!out.empty())
            out += separator;
        out += p;
    }
    return out;
}

// Names of the set bits, bit 0 first; unnamed bits are skipped.
std::string bitNames(std::uint8_t value, const std::array<const char*, 8>& names)
{
    std::vector<std::string> out;
    for (int bit = 0; bit < 8; ++bit)
        if ((value >> bit) & 1 && names[static_cast<std::size_t>(bit)])
            out.emplace_back(names[static_cast<std::size_t>(bit)]);
    return joined(out);
}

int bcd(std::uint8_t b)
{
    return (b >> 4) * 10 + (b & 0x0F);
}

// Four time bytes, frames first, as HH:MM:SS:FF.
std::string timecode(std::span<const std::uint8_t> d)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d:%02d", bcd(d[3] & 0x3F), bcd(d[2] & 0x7F), bcd(d[1] & 0x7F),
                  bcd(d[0] & 0x3F));
    return buf;
}

// A 9-pin speed byte N (and a fine byte): 10^(N/32 - 2) times play speed.
std::string speed(std::span<const std::uint8_t> d)
{
    double n = d[0];
    if (d.size() > 1)
        n += d[1] / 256.0;
    char buf[48];
    std::snprintf(buf, sizeof buf, "speed %d (%.2fx play)", d[0], std::pow(10.0, n / 32.0 - 2.0));
    return buf;
}

bool oneOf(std::uint8_t v, std::initializer_list<std::uint8_t> list)
{
    return std::find(list.begin(), list.end(), v) != list.end();
}

// The data of a 9-pin message in words.
std::string sonyData(std::uint8_t cmd1, std::uint8_t cmd2, std::span<const std::uint8_t> d)
{
    const int group = cmd1 >> 4;
    if (d.empty())
        return {};
    if (group == 2 && oneOf(cmd2, {0x11, 0x12, 0x13, 0x21, 0x22, 0x23, 0x38, 0x39}))
        return speed(d);
    if (d.size() >= 4 &&
        ((group == 2 && cmd2 == 0x31) || (group == 4 && oneOf(cmd2, {0x00, 0x04, 0x14, 0x15, 0x31})) ||
         (group == 7 && oneOf(cmd2, {0x00, 0x01, 0x04, 0x06, 0x08, 0x10, 0x11, 0x12, 0x13, 0x14, 0x31}))))
        return timecode(d);
    if (group == 1 && cmd2 == 0x12) {
        const std::string errors = bitNames(d[0],
                                            {"Unknown Command", nullptr, "Checksum Error", nullptr, "Parity Error",
                                             "Buffer Overrun", "Framing Error", "Time-out"});
        return errors.empty() ? "no error bit" : errors;
    }
    if (group == 1 && cmd2 == 0x11 && d.size() >= 2)
        return "device type " + hex2(d[0]) + hex2(d[1]);
    if (group == 6 && cmd2 == 0x0C)
        return bitNames(d[0], {"LTC", "VITC", "Timer-1", "Timer-2", "LTC UB", "VITC UB", nullptr, nullptr});
    if (group == 6 && cmd2 == 0x20)
        return "from byte " + std::to_string(d[0] >> 4) + ", " + std::to_string(d[0] & 0x0F) + " bytes";
    if (group == 7 && cmd2 == 0x20) {
        static const std::array<std::array<const char*, 8>, 4> names{{
            {"Local", nullptr, "Hardware Error", nullptr, nullptr, "Cassette Out", nullptr, nullptr},
            {"Play", "Record", "Fast Fwd", "Rewind", "Eject", "Stop", "Tension Release", "Standby"},
            {"Cue Up Complete", "Still", "Reverse", "Var", "Jog", "Shuttle", nullptr, "Servo Lock"},
            {"In Set", "Out Set", "Audio In Set", "Audio Out Set", nullptr, nullptr, nullptr, "Auto Mode"},
        }};
        std::vector<std::string> set;
        for (std::size_t i = 0; i < d.size() && i < names.size(); ++i) {
            const std::string s = bitNames(d[i], names[i]);
            if (!s.empty())
                set.push_back(s);
        }
        return set.empty() ? "no status bit" : joined(set);
    }
    return {};
}

// The control names of the monitor: "Shift+F2" for the program's "Shift F2".
std::string monitorControlName(int index)
{
    std::string name = controlName(index);
    if (name.rfind("Shift ", 0) == 0)
        name[5] = '+';
    return name;
}

std::string keyName(std::uint8_t modifiers, std::uint8_t key)
{
    std::string out;
    if (modifiers & kModCtrl)
        out += "Ctrl+";
    if (modifiers & kModAlt)
        out += "Alt+";
    if (modifiers & kModShift)
        out += "Shift+";
    switch (key) {
    case 0x08: return out + "Backspace";
    case 0x09: return out + "Tab";
    case 0x0D: return out + "Enter";
    case 0x1B: return out + "Esc";
    case 0x20: return out + "Space";
    case 0x7F: return out + "Del";
    default: break;
    }
    if (key < 0x20)
        return out + "0x" + hex2(key);
    if (!out.empty() && key >= 'a' && key <= 'z')
        key = static_cast<std::uint8_t>(key - 'a' + 'A');
    return out + windows1252ToUtf8(std::string(1, static_cast<char>(key)));
}

std::string keysText(std::span<const std::uint8_t> bytes)
{
    std::vector<std::string> keys;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        keys.push_back(keyName(bytes[i], bytes[i + 1]));
    if (bytes.size() % 2 == 1) {
        std::string mods = keyName(bytes.back(), 'x');
        mods.pop_back();
        keys.push_back(mods + "(no key)");
    }
    return joined(keys);
}

// Sony or VDCP decoding of bytes that are no panel frame; false when they are
// neither.
bool decodeProtocol(LineRow& row, bool fromEquipment)
{
    const auto& b = row.bytes;
    if (fromEquipment && b.size() == 1 && b[0] == 0x04) {
        row.kind = MessageKind::Vdcp;
        row.name = "ACK";
        return true;
    }
    if (fromEquipment && b.size() == 2 && b[0] == 0x05) {
        row.kind = MessageKind::Vdcp;
        row.name = "NAK";
        row.data = "status " + hex2(b[1]);
        return true;
    }
    if (b.size() >= 4 && b[0] == 0x02 && b[1] + 3u == b.size()) {
        row.kind = MessageKind::Vdcp;
        const char* name = vdcpName(b[2], b[3]);
        row.name = name ? name : "command " + hex2(b[2]) + " " + hex2(b[3]);
        const std::uint8_t expected = vdcpChecksum(std::span(b).first(b.size() - 1));
        row.checksum = expected == b.back() ? ChecksumState::Ok : ChecksumState::Wrong;
        row.expected = expected;
        return name || row.checksum == ChecksumState::Ok;
    }
    if (b.size() >= 2 && sonyGroup(b[0])) {
        const std::size_t count = b[0] & 0x0F;
        const bool whole = b.size() == count + 3;
        if (!whole && b.size() != count + 2)
            return false;
        const SonyCommandName* known = sonyName(b[0], b[1]);
        if (whole) {
            const std::uint8_t expected = sonyChecksum(std::span(b).first(b.size() - 1));
            row.checksum = expected == b.back() ? ChecksumState::Ok : ChecksumState::Wrong;
            row.expected = expected;
        }
        if (!known && row.checksum != ChecksumState::Ok) {
            row.checksum = ChecksumState::None;
            return false;
        }
        row.kind = MessageKind::Sony;
        row.name = known ? known->name : "command " + hex2(b[0]) + " " + hex2(b[1]);
        row.data = sonyData(b[0], b[1], std::span(b).subspan(2, count));
        return true;
    }
    return false;
}

std::string labelOf(const KeyDefinition& def)
{
    switch (def.displayType()) {
    case DisplayType::RamIcon: return "RAM icon " + std::to_string(def.labelCode(true) + 1);
    case DisplayType::RomIcon: return "ROM icon " + std::to_string(def.labelCode(true) + 1);
    case DisplayType::LargeAscii:
        return "'" + windows1252ToUtf8(std::string(1, static_cast<char>(def.labelCode(true)))) + "'";
    case DisplayType::Text:
    default: break;
    }
    std::vector<std::string> lines;
    for (int l = 0; l < 3; ++l) {
        std::string line = def.labelLine(true, l);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\0'))
            line.pop_back();
        while (!line.empty() && (line.front() == ' ' || line.front() == '\0'))
            line.erase(line.begin());
        if (!line.empty())
            lines.push_back(windows1252ToUtf8(line));
    }
    return "'" + joined(lines, " ") + "'";
}

std::string iconName(std::uint8_t set, std::uint8_t index)
{
    if (set == 0x7D)
        return "large character '" + windows1252ToUtf8(std::string(1, static_cast<char>(index + 32))) + "'";
    return std::string(set == 0x7E ? "RAM" : "ROM") + " icon " + std::to_string(index + 1);
}

std::string capitalised(std::string s)
{
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z')
        s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

bool panelFrame(std::span<const std::uint8_t> b)
{
    return b.size() >= 4 && b[0] == 0xF0 && b[1] == 0x15 && b[2] == 0x2C;
}

std::string jsonText(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

} // namespace

const std::vector<SonyCommandName>& sonyCommandNames()
{
    return kSony;
}

const std::vector<VdcpCommandName>& vdcpCommandNames()
{
    return kVdcp;
}

std::string directionText(LineDirection d)
{
    switch (d) {
    case LineDirection::ToPanel: return "to panel";
    case LineDirection::FromPanel: return "from panel";
    case LineDirection::ToEquipment: return "to equipment";
    case LineDirection::FromEquipment: return "from equipment";
    }
    return {};
}

std::string directionKey(LineDirection d)
{
    std::string s = directionText(d);
    std::replace(s.begin(), s.end(), ' ', '-');
    return s;
}

std::string kindKey(MessageKind k)
{
    switch (k) {
    case MessageKind::Request: return "request";
    case MessageKind::Definition: return "definition";
    case MessageKind::Icon: return "icon";
    case MessageKind::Store: return "store";
    case MessageKind::Sony: return "sony";
    case MessageKind::Vdcp: return "vdcp";
    case MessageKind::Keyboard: return "keyboard";
    case MessageKind::Raw: return "bytes";
    }
    return {};
}

std::string kindCaption(MessageKind k)
{
    switch (k) {
    case MessageKind::Sony: return "Sony 9-pin";
    case MessageKind::Vdcp: return "VDCP";
    default: return capitalised(kindKey(k));
    }
}

std::string lineHex(std::span<const std::uint8_t> bytes)
{
    std::string t = bytesToHexText(bytes);
    if (!t.empty())
        t.pop_back();
    return t;
}

std::string checksumText(const LineRow& row)
{
    switch (row.checksum) {
    case ChecksumState::Ok: return "ok";
    case ChecksumState::Wrong: return "wrong (expected " + hex2(row.expected) + ")";
    case ChecksumState::None: break;
    }
    return "none";
}

std::string rowMeaning(const LineRow& row)
{
    std::string out;
    if (!row.control.empty())
        out = row.control + ": ";
    switch (row.kind) {
    case MessageKind::Sony:
    case MessageKind::Vdcp:
        out += kindCaption(row.kind) + " " + row.name;
        if (!row.data.empty())
            out += " " + row.data;
        return out + ", checksum " + checksumText(row);
    case MessageKind::Keyboard: return out + "keys " + row.keys;
    case MessageKind::Raw: return out + (row.name.empty() ? "bytes" : row.name);
    default: break;
    }
    out += row.name;
    if (!row.data.empty())
        out += ", " + row.data;
    return out;
}

std::string rowText(const LineRow& row)
{
    char head[48];
    std::snprintf(head, sizeof head, "%10.3f  %-14s  ", row.t, directionText(row.dir).c_str());
    return head + lineHex(row.bytes) + "  " + rowMeaning(row);
}

std::string rowJson(const LineRow& row)
{
    char t[32];
    std::snprintf(t, sizeof t, "%.3f", row.t);
    std::string out = std::string("{\"t\":") + t + ",\"dir\":" + jsonText(directionKey(row.dir)) +
        ",\"hex\":" + jsonText(lineHex(row.bytes)) + ",\"kind\":" + jsonText(kindKey(row.kind));
    if (!row.name.empty())
        out += ",\"name\":" + jsonText(row.name);
    out += ",\"checksum\":" + jsonText(row.checksum == ChecksumState::Wrong ? "wrong" : checksumText(row));
    if (!row.control.empty())
        out += ",\"control\":" + jsonText(row.control);
    if (!row.keys.empty())
        out += ",\"keys\":" + jsonText(row.keys);
    if (!row.data.empty())
        out += ",\"data\":" + jsonText(row.data);
    return out + "}";
}

std::string describeMessage(std::span<const std::uint8_t> bytes, ChecksumKind kind)
{
    if (bytes.empty())
        return {};
    LineRow row;
    row.bytes.assign(bytes.begin(), bytes.end());
    std::string checksum;
    if (kind != ChecksumKind::None) {
        LineRow sent;
        sent.bytes = appendChecksum(bytes, kind);
        const bool vdcp = kind == ChecksumKind::Vdcp;
        if (decodeProtocol(sent, false) && sent.kind == (vdcp ? MessageKind::Vdcp : MessageKind::Sony)) {
            row = sent;
            checksum = "checksum added by the panel";
        }
    }
    if (checksum.empty()) {
        if (!decodeProtocol(row, false))
            return {};
        checksum = row.checksum == ChecksumState::None ? "no checksum" : "checksum " + checksumText(row);
        if (kind != ChecksumKind::None)
            checksum += ", and the panel adds one more";
    }
    std::string out = kindCaption(row.kind) + ": " + row.name;
    if (!row.data.empty())
        out += " " + row.data;
    return out + ", " + checksum;
}

// ---- framing

long LineFramer::frameLength() const
{
    const auto& b = buf_;
    if (b.empty())
        return 0;
    if (b[0] == 0xF0) {
        if (b.size() >= 2 && b[1] != 0x15)
            return -1;
        if (b.size() >= 3 && b[2] != 0x2C)
            return -1;
        if (b.size() < 4)
            return 0;
        switch (b[3]) {
        case 0x7E: return static_cast<long>(kDefinitionSize);
        case 0x7F:
            if (b.size() < 5)
                return 0;
            return b[4] >= 0x7D ? 7 : 6;
        case 0x04:
            if (b.size() < 6)
                return 0;
            if (b[4] == 0x00 && b[5] == 0x06)
                return 251;
            if (b[4] == 0x00 && b[5] == 0x05)
                return 7;
            return -1;
        default: return -1;
        }
    }
    if (keyboard_ && !equipment_)
        return -1;
    if (equipment_ && b[0] == 0x04)
        return 1;
    if (equipment_ && b[0] == 0x05)
        return 2;
    if (b[0] == 0x02) {
        if (b.size() < 2)
            return 0;
        return b[1] + 3;
    }
    if (sonyGroup(b[0]))
        return (b[0] & 0x0F) + 3;
    return -1;
}

std::vector<LineFramer::Message> LineFramer::feed(std::span<const std::uint8_t> bytes, std::int64_t micros)
{
    std::vector<Message> out;
    if (bytes.empty())
        return out;
    if (auto late = flush(micros))
        out.push_back(std::move(*late));
    for (std::uint8_t byte : bytes) {
        if (buf_.empty())
            firstMicros_ = micros;
        buf_.push_back(byte);
        const long length = frameLength();
        if ((length > 0 && buf_.size() >= static_cast<std::size_t>(length)) ||
            (length < 0 && buf_.size() >= kMaxUnframed)) {
            out.push_back({firstMicros_, std::move(buf_)});
            buf_.clear();
        }
    }
    lastMicros_ = micros;
    return out;
}

std::optional<LineFramer::Message> LineFramer::flush(std::int64_t micros, bool force)
{
    if (buf_.empty())
        return std::nullopt;
    if (!force && micros - lastMicros_ <= (frameLength() < 0 ? kGapMicros : kFrameGapMicros))
        return std::nullopt;
    Message m{firstMicros_, std::move(buf_)};
    buf_.clear();
    return m;
}

// ---- naming

std::string LineDecoder::controlsOf(std::span<const std::uint8_t> bytes) const
{
    if (!table_)
        return {};
    std::vector<std::string> names;
    for (int i = 0; i < kDefinitionCount; ++i) {
        const KeyDefinition& def = (*table_)[i];
        const std::size_t on = def.onLength();
        const std::size_t off = def.offLength();
        const bool sum = def.checksumKind() != ChecksumKind::None;
        // Cheap test first: a control's message as sent is its length, plus a
        // checksum byte when there is room for it.
        const auto sentLength = [&](std::size_t n) { return n + (sum && n > 0 && n < kMessageFieldSize ? 1 : 0); };
        if (sentLength(on) != bytes.size() && sentLength(off) != bytes.size())
            continue;
        const KeyDefinition copy = panelCopy(def);
        const auto same = [&](const std::vector<std::uint8_t>& m) {
            return !m.empty() && std::equal(m.begin(), m.end(), bytes.begin(), bytes.end());
        };
        if (same(copy.onMessage()))
            names.push_back(monitorControlName(i) + " On");
        if (!copy.hasLongOnMessage() && same(copy.offMessage()))
            names.push_back(monitorControlName(i) + " Off");
    }
    return joined(names);
}

LineRow LineDecoder::decode(LineDirection dir, std::span<const std::uint8_t> bytes, double t)
{
    LineRow row;
    row.t = t;
    row.dir = dir;
    row.bytes.assign(bytes.begin(), bytes.end());
    const bool toPanel = dir == LineDirection::ToPanel || dir == LineDirection::ToEquipment;
    if (panelFrame(bytes)) {
        const auto& b = row.bytes;
        const std::uint8_t cmd = b[3];
        if (cmd == 0x7F && b.size() == 6) {
            row.kind = MessageKind::Request;
            row.name = "Definition request, " + monitorControlName(definitionIndex(b[5], b[4]));
            if (b[4] == 0 && b[5] == 0)
                row.name += " (the probe)";
            return row;
        }
        if (cmd == 0x7F && b.size() == 7) {
            row.kind = MessageKind::Request;
            lastIconSet_ = b[4];
            row.name = "Icon request, " + iconName(b[4], b[4] == 0x7D ? static_cast<std::uint8_t>(b[5] - 32) : b[5]);
            return row;
        }
        if (cmd == 0x7E && b.size() >= 6) {
            const KeyDefinition def = KeyDefinition::fromBytes(b);
            row.kind = toPanel ? MessageKind::Store : MessageKind::Definition;
            const int index = def.ownIndex();
            const std::string name = monitorControlName(index);
            row.name = "Definition of " + (name.empty() ? "record " + std::to_string(index) : name);
            if (const std::string label = labelOf(def); definitionHasLcd(index) && label != "''")
                row.name += " (" + label + ")";
            if (toPanel)
                row.name += " stored";
            if (b.size() != kDefinitionSize)
                row.data = std::to_string(b.size()) + " of 114 bytes";
            return row;
        }
        if (cmd == 0x04 && b.size() >= 7 && b[4] == 0x00 && b[5] == 0x06) {
            row.kind = toPanel ? MessageKind::Store : MessageKind::Icon;
            row.name = capitalised(iconName(toPanel ? 0x7E : lastIconSet_, b[6])) + (toPanel ? " stored" : "");
            if (b.size() != 251 || b.back() != 0xF7)
                row.data = std::to_string(b.size()) + " of 251 bytes";
            return row;
        }
        if (cmd == 0x04 && b.size() == 7 && b[4] == 0x00 && b[5] == 0x05) {
            row.kind = MessageKind::Store;
            row.name = "RAM icon " + std::to_string(b[6] + 1) + " chosen for storing";
            return row;
        }
        row.name = "panel frame";
        return row;
    }
    if (dir == LineDirection::FromPanel || dir == LineDirection::ToEquipment)
        row.control = controlsOf(bytes);
    if (dir == LineDirection::FromPanel && keyboard_) {
        row.kind = MessageKind::Keyboard;
        row.keys = keysText(bytes);
        return row;
    }
    if (!decodeProtocol(row, dir == LineDirection::FromEquipment)) {
        row.kind = MessageKind::Raw;
        row.name.clear();
        row.data.clear();
        row.checksum = ChecksumState::None;
    }
    return row;
}

// ---- the monitor below the window

void LineMonitor::setMode(bool keyboard, bool emulation)
{
    emulation_ = emulation;
    decoder_.setKeyboard(keyboard);
    sent_ = LineFramer(false, false);
    received_ = LineFramer(keyboard && !emulation, emulation);
}

LineRow LineMonitor::rowOf(bool sent, const LineFramer::Message& m)
{
    const LineDirection dir = sent ? (emulation_ ? LineDirection::ToEquipment : LineDirection::ToPanel)
                                   : (emulation_ ? LineDirection::FromEquipment : LineDirection::FromPanel);
    return decoder_.decode(dir, m.bytes, static_cast<double>(m.micros - startMicros_) / 1e6);
}

std::vector<LineRow> LineMonitor::take(bool sent, std::span<const std::uint8_t> bytes, std::int64_t micros)
{
    std::vector<LineRow> rows;
    LineFramer& framer = sent ? sent_ : received_;
    for (const auto& m : framer.feed(bytes, micros))
        rows.push_back(rowOf(sent, m));
    if (sent)
        if (auto rest = framer.flush(micros, true))
            rows.push_back(rowOf(true, *rest));
    return rows;
}

std::vector<LineRow> LineMonitor::idle(std::int64_t micros)
{
    std::vector<LineRow> rows;
    if (auto rest = received_.flush(micros))
        rows.push_back(rowOf(false, *rest));
    return rows;
}

} // namespace vantor
