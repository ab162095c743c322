#include "tools/panelsim/factory_content.h"

#include "definitions/sony_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace vantor::panelsim {

namespace {

const std::uint8_t kLargeGlyphs[96][120] = {
#include "tools/panelsim/factory_glyphs.inc"
};

// A 36 x 24 one-bit drawing surface for the ROM icons.
struct Pic {
    PixelGrid g;
    void set(int x, int y)
    {
        if (x >= 0 && x < kIconWidth && y >= 0 && y < kIconHeight)
            g.at(x, y) = 1;
    }
    void clear(int x, int y)
    {
        if (x >= 0 && x < kIconWidth && y >= 0 && y < kIconHeight)
            g.at(x, y) = 0;
    }
    void box(int x0, int y0, int x1, int y1) // filled, inclusive
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                set(x, y);
    }
    void frame(int x0, int y0, int x1, int y1)
    {
        line(x0, y0, x1, y0);
        line(x0, y1, x1, y1);
        line(x0, y0, x0, y1);
        line(x1, y0, x1, y1);
    }
    void line(int x0, int y0, int x1, int y1, int w = 1)
    {
        const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 0; i <= steps; ++i) {
            const double t = steps ? double(i) / steps : 0.0;
            const int x = int(std::lround(x0 + t * (x1 - x0)));
            const int y = int(std::lround(y0 + t * (y1 - y0)));
            for (int dy = 0; dy < w; ++dy)
                for (int dx = 0; dx < w; ++dx)
                    set(x + dx, y + dy);
        }
    }
    void disc(double cx, double cy, double r, bool on = true)
    {
        for (int y = 0; y < kIconHeight; ++y)
            for (int x = 0; x < kIconWidth; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r)
                    on ? set(x, y) : clear(x, y);
    }
    void ring(double cx, double cy, double r, double w = 1.6)
    {
        for (int y = 0; y < kIconHeight; ++y)
            for (int x = 0; x < kIconWidth; ++x) {
                const double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
                if (d <= r && d > r - w)
                    set(x, y);
            }
    }
    // Filled triangle.
    void tri(double ax, double ay, double bx, double by, double cx, double cy)
    {
        auto side = [](double px, double py, double x0, double y0, double x1, double y1) {
            return (px - x1) * (y0 - y1) - (x0 - x1) * (py - y1);
        };
        for (int y = 0; y < kIconHeight; ++y)
            for (int x = 0; x < kIconWidth; ++x) {
                const double px = x + 0.5, py = y + 0.5;
                const double d1 = side(px, py, ax, ay, bx, by), d2 = side(px, py, bx, by, cx, cy),
                             d3 = side(px, py, cx, cy, ax, ay);
                const bool neg = d1 < 0 || d2 < 0 || d3<0, pos = d1> 0 || d2 > 0 || d3 > 0;
                if (!(neg && pos))
                    set(x, y);
            }
    }
    void glyph(char c, int dx = 0) // a large character, shifted
    {
        PixelGrid src = unpackIcon(std::span<const std::uint8_t>(kLargeGlyphs[c - 32], 120));
        for (int y = 0; y < kIconHeight; ++y)
            for (int x = 0; x < kIconWidth; ++x)
                if (src.lit(x, y))
                    set(x + dx, y);
    }
};

IconBitmap drawRomIcon(int n)
{
    Pic p;
    switch (n) {
    case 0: p.tri(11, 3, 11, 21, 27, 12); break; // play
    case 1: p.box(10, 4, 25, 19); break;         // stop
    case 2:
        p.box(10, 4, 15, 19);
        p.box(20, 4, 25, 19);
        break;                            // pause
    case 3: p.disc(17.5, 11.5, 8); break; // record
    case 4:
        p.tri(18, 4, 18, 20, 6, 12);
        p.tri(30, 4, 30, 20, 18, 12);
        break; // rewind
    case 5:
        p.tri(6, 4, 6, 20, 18, 12);
        p.tri(18, 4, 18, 20, 30, 12);
        break; // fast forward
    case 6:
        p.box(5, 4, 7, 20);
        p.tri(19, 4, 19, 20, 8, 12);
        p.tri(30, 4, 30, 20, 19, 12);
        break; // previous
    case 7:
        p.tri(6, 4, 6, 20, 17, 12);
        p.tri(17, 4, 17, 20, 28, 12);
        p.box(29, 4, 31, 20);
        break; // next
    case 8:
        p.tri(8, 14, 28, 14, 18, 3);
        p.box(8, 17, 27, 20);
        break; // eject
    case 9:
        p.ring(18, 12, 9, 2.2);
        p.disc(26, 6, 3.5, false);
        p.tri(22, 2, 31, 4, 26, 10);
        break; // loop
    case 10:
        p.tri(18, 2, 7, 13, 29, 13);
        p.box(14, 13, 21, 21);
        break; // arrow up
    case 11:
        p.tri(18, 22, 7, 11, 29, 11);
        p.box(14, 2, 21, 11);
        break; // arrow down
    case 12:
        p.tri(4, 12, 16, 2, 16, 22);
        p.box(16, 8, 31, 15);
        break; // arrow left
    case 13:
        p.tri(32, 12, 20, 2, 20, 22);
        p.box(4, 8, 20, 15);
        break; // arrow right
    case 14:
        p.ring(19, 12, 7, 1.6);
        p.ring(19, 12, 11.5, 1.6); // speaker
        for (int y = 0; y < kIconHeight; ++y)
            for (int x = 0; x <= 21; ++x)
                p.clear(x, y);
        p.box(6, 8, 11, 15);
        p.tri(11, 8, 20, 2, 20, 21);
        break;
    case 15:
        p.box(4, 8, 9, 15);
        p.tri(9, 8, 18, 2, 18, 21);
        p.line(22, 7, 31, 16, 2);
        p.line(22, 16, 31, 7, 2);
        break; // mute
    case 16:
        p.disc(12, 18, 4);
        p.box(15, 3, 16, 18);
        p.line(16, 3, 24, 7, 2);
        p.line(16, 6, 24, 10, 2);
        break; // note
    case 17:
        p.disc(18, 9, 6.5);
        p.box(12, 9, 24, 17);
        p.box(8, 17, 28, 18);
        p.disc(18, 21, 2);
        break; // bell
    case 18:
        p.ring(18, 12, 10, 2);
        p.line(18, 12, 18, 5, 2);
        p.line(18, 12, 23, 15, 2);
        break; // clock
    case 19:
        p.line(7, 12, 14, 19, 3);
        p.line(14, 19, 28, 4, 3);
        break; // check
    case 20:
        p.line(9, 4, 26, 19, 3);
        p.line(9, 19, 26, 4, 3);
        break; // cross
    case 21:
        p.box(16, 3, 20, 20);
        p.box(8, 10, 28, 13);
        break;                            // plus
    case 22: p.box(8, 10, 28, 13); break; // minus
    case 23:
        p.tri(18, 1, 13, 16, 23, 16);
        p.tri(6, 8, 30, 8, 18, 17);
        p.tri(13, 14, 9, 22, 18, 16);
        p.tri(23, 14, 27, 22, 18, 16);
        break; // star
    case 24:
        p.disc(13, 8, 5.5);
        p.disc(23, 8, 5.5);
        p.tri(7.6, 10, 28.4, 10, 18, 21);
        break; // heart
    case 25:   // house with a door
        p.tri(18, 2, 5, 12, 31, 12);
        p.box(8, 12, 27, 21);
        for (int y = 15; y <= 21; ++y)
            for (int x = 15; x <= 20; ++x)
                p.clear(x, y);
        break;
    case 26:
        p.ring(18, 9, 6, 2);
        p.box(10, 10, 25, 21);
        p.disc(18, 14, 1.5, false);
        p.g.at(18, 17) = 0;
        p.g.at(18, 16) = 0;
        break; // lock
    case 27:
        p.frame(5, 7, 28, 17);
        p.frame(6, 8, 27, 16);
        p.box(29, 10, 31, 14);
        p.box(8, 10, 20, 14);
        break; // battery
    case 28:
        p.box(6, 17, 9, 20);
        p.box(12, 13, 15, 20);
        p.box(18, 9, 21, 20);
        p.box(24, 4, 27, 20);
        break; // signal bars
    case 29:
        p.box(5, 7, 30, 20);
        p.box(12, 4, 20, 7);
        p.disc(17.5, 13.5, 5, false);
        p.disc(17.5, 13.5, 3);
        break; // camera
    case 30:
        p.box(6, 2, 29, 21);
        for (int y = 3; y < 21; y += 4) {
            p.box(7, y, 8, y + 1);
            p.box(27, y, 28, y + 1);
            p.g.at(7, y) = 0;
        }
        for (int y = 3; y < 21; y += 4) {
            for (int x = 7; x <= 8; ++x) {
                p.clear(x, y);
                p.clear(x, y + 1);
            }
            for (int x = 27; x <= 28; ++x) {
                p.clear(x, y);
                p.clear(x, y + 1);
            }
        }
        p.frame(11, 4, 24, 19);
        break; // film strip
    case 31:
        p.frame(4, 3, 31, 17);
        p.frame(5, 4, 30, 16);
        p.box(15, 18, 20, 19);
        p.box(10, 20, 25, 21);
        break; // monitor
    case 32:
        p.disc(18, 6, 4.5);
        p.disc(18, 11, 4.5);
        p.box(14, 6, 22, 11); // microphone
        p.ring(18, 11, 7.5, 1.6);
        for (int y = 0; y <= 10; ++y)
            for (int x = 0; x < 36; ++x)
                if (x < 13 || x > 23)
                    p.clear(x, y);
        p.box(17, 18, 18, 20);
        p.box(12, 21, 23, 22);
        break;
    case 33:
        p.ring(18, 14, 11, 2);
        for (int y = 14; y < 24; ++y)
            for (int x = 0; x < 36; ++x)
                p.clear(x, y);
        p.box(6, 13, 10, 21);
        p.box(26, 13, 30, 21);
        break; // headphones
    case 34:
        p.disc(18, 9, 7);
        p.box(14, 15, 21, 17);
        p.box(15, 19, 20, 20);
        p.disc(18, 9, 4, false);
        break; // bulb
    case 35:
        for (int k = 0; k < 8; ++k) {
            const double a = k * M_PI / 4;
            p.disc(18 + 8 * std::cos(a), 12 + 8 * std::sin(a), 2.5);
        }
        p.disc(18, 12, 8);
        p.disc(18, 12, 3.5, false);
        break; // gear
    case 36:
        p.disc(18, 12, 5);
        for (int k = 0; k < 8; ++k) {
            const double a = k * M_PI / 4;
            p.line(int(18 + 7.5 * std::cos(a)), int(12 + 7.5 * std::sin(a)), int(18 + 10.5 * std::cos(a)),
                   int(12 + 10.5 * std::sin(a)), 2);
        }
        break; // sun
    case 37:
        p.disc(16, 12, 9);
        p.disc(21, 9, 8, false);
        break; // moon
    case 38:
        p.ring(18, 13, 9, 2.2);
        p.box(15, 0, 20, 6);
        p.box(17, 1, 18, 12);
        for (int y = 0; y <= 1; ++y)
            for (int x = 15; x <= 20; ++x)
                p.clear(x, y);
        break;                    // power
    default: p.glyph('?'); break; // 39: help
    }
    return packIcon(p.g);
}

// A word on the LCD: three lines of six characters, centred.
std::string lcdText(const std::string& name)
{
    std::vector<std::string> words, lines;
    std::string w;
    for (char c : name) {
        if (c == ' ') {
            if (!w.empty())
                words.push_back(w);
            w.clear();
        } else {
            w += c;
        }
    }
    if (!w.empty())
        words.push_back(w);
    std::string cur;
    for (auto word : words) {
        word = word.substr(0, 6);
        if (cur.empty())
            cur = word;
        else if (cur.size() + 1 + word.size() <= 6)
            cur += " " + word;
        else {
            lines.push_back(cur);
            cur = word;
        }
    }
    if (!cur.empty())
        lines.push_back(cur);
    while (lines.size() < 3)
        lines.insert(lines.size() == 1 ? lines.begin() : lines.end(), std::string());
    lines.resize(3);
    std::string out;
    for (auto& l : lines) {
        const std::size_t pad = (6 - l.size()) / 2;
        std::string cell = std::string(pad, ' ') + l;
        cell.resize(6, ' ');
        out += cell;
    }
    return out;
}

std::vector<std::uint8_t> commandBytes(const SonyCommand& c)
{
    // The table holds the command with its checksum; the record holds the
    // command alone and its checksum kind.
    std::vector<std::uint8_t> b = c.bytes;
    if (b.size() > 1)
        b.pop_back();
    return b;
}

const SonyCommand* findCommand(const std::vector<SonyCommand>& all, const std::string& part)
{
    for (const auto& c : all) {
        std::string a = c.name, b = part;
        std::transform(a.begin(), a.end(), a.begin(), ::tolower);
        std::transform(b.begin(), b.end(), b.begin(), ::tolower);
        if (a.find(b) != std::string::npos)
            return &c;
    }
    return nullptr;
}

} // namespace

IconBitmap factoryRomIcon(int n)
{
    if (n < 0 || n >= kRomIconCount)
        return {};
    return drawRomIcon(n);
}

IconBitmap factoryLargeAscii(int k)
{
    if (k < 0 || k >= kLargeAsciiCount)
        return {};
    return IconBitmap(kLargeGlyphs[k], kLargeGlyphs[k] + 120);
}

std::array<KeyDefinition, kDefinitionCount> factoryDefinitions()
{
    std::array<KeyDefinition, kDefinitionCount> defs{};
    const auto& cmds = sonyCommands();
    const std::uint8_t stopBytes[] = {0x20, 0x00};
    for (int i = 0; i < kDefinitionCount; ++i) {
        KeyDefinition d = initialDefinition(i);
        const int bank = i / 10, pos = i % 10;
        const SonyCommand* cmd = cmds.empty() ? nullptr : &cmds[static_cast<std::size_t>(i) % cmds.size()];
        if (bank == 0 && cmds.size() >= 10) {
            // Bank 1: the transport keys, as a tape machine's front panel.
            static const char* wanted[10] = {"play",  "stop",       "rew", "fast",    "rec",
                                             "eject", "standby on", "jog", "shuttle", "still"};
            if (const SonyCommand* c = findCommand(cmds, wanted[pos]))
                cmd = c;
        }
        if (definitionHasLcd(i)) {
            d.setOnColor(bank == 0 && pos == 4 ? LedColor::BrightRed : LedColor::BrightGreen);
            d.setOffColor(bank == 0 && pos == 4 ? LedColor::DarkRed : LedColor::DarkGreen);
            if (bank == 1 && pos < 10) {
                // Bank 2: the same keys with ROM icons.
                static const int icon[10] = {0, 1, 4, 5, 3, 8, 38, 12, 13, 2};
                d.setDisplayType(DisplayType::RomIcon);
                d.onLabel()[0] = static_cast<std::uint8_t>(icon[pos]);
                d.offLabel()[0] = static_cast<std::uint8_t>(icon[pos]);
            } else if (bank == 2) {
                // Bank 3: large digits 1..9 and 0 for the cue points.
                d.setDisplayType(DisplayType::LargeAscii);
                d.setLabelText(true, std::string(1, char('0' + (pos + 1) % 10)));
                d.setLabelText(false, std::string(1, char('0' + (pos + 1) % 10)));
            } else {
                const std::string name = cmd ? cmd->name : "Bank " + std::to_string(bank + 1);
                d.setLabelText(true, lcdText(name));
                d.setLabelText(false, lcdText(name));
            }
            if (bank == 0 && (pos == 7 || pos == 8))
                d.setLatched(true);
        } else {
            d.setOnColor(LedColor::Off);
            d.setOffColor(LedColor::Off);
        }
        if (cmd) {
            d.setChecksumKind(ChecksumKind::Sony);
            d.setOnMessage(commandBytes(*cmd));
            if (i == kKnobIndex || i == kKnobBIndex) {
                // The knob: CW forward, CCW reverse.
                const SonyCommand* fwd = findCommand(cmds, i == kKnobIndex ? "jog" : "shuttle");
                if (fwd)
                    d.setOnMessage(commandBytes(*fwd));
                d.setOffMessage(commandBytes(fwd ? *fwd : *cmd));
            } else if (d.latched()) {
                d.setOffMessage(stopBytes);
            }
        }
        defs[static_cast<std::size_t>(i)] = panelCopy(d);
    }
    return defs;
}

} // namespace vantor::panelsim
