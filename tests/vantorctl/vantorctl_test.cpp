// vantorctl as a script runs it: the program against the panel simulator on a
// pseudo-terminal, its files compared byte for byte.
#include "tests/support/temp_files.h"
#include "tools/panelsim/panel_sim.h"

#include "definitions/kdl_file.h"
#include "devicelink/icon_cache.h"
#include "definitions/message_text.h"
#include "iconeditor/icon_bitmap.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sys/wait.h>

namespace vantor::test {
namespace {

struct Outcome {
    int code = -1;
    std::string out, err;
};

std::string fileText(const fs::path& p)
{
    const auto b = readAll(p);
    return std::string(b.begin(), b.end());
}

// vantorctl with these arguments (shell words), standard output and error kept.
Outcome vantorctl(const TempFolder& tmp, const std::string& args)
{
    const fs::path out = tmp / "stdout.txt", err = tmp / "stderr.txt";
    // The icon cache of the test's own folder.
    const std::string command = "XDG_CACHE_HOME='" + (tmp / "cache").string() + "' '" + VANTORCTL + "' " + args +
        " >'" + out.string() + "' 2>'" + err.string() + "' </dev/null";
    const int status = std::system(command.c_str());
    Outcome r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = fileText(out);
    r.err = fileText(err);
    return r;
}

// A simulator on a pty reached through a link in the temp folder.
std::unique_ptr<panelsim::PanelSim> startSim(const TempFolder& tmp, panelsim::Fault fault = panelsim::Fault::None,
                                             int count = 0)
{
    panelsim::SimOptions o;
    o.fast = true;
    o.linkPath = (tmp / "panel-link").string();
    o.fault = fault;
    o.faultCount = count;
    auto sim = std::make_unique<panelsim::PanelSim>(o);
    std::string error;
    EXPECT_TRUE(sim->start(&error)) << error;
    return sim;
}

std::string port(const TempFolder& tmp)
{
    return "--quiet --port '" + (tmp / "panel-link").string() + "' ";
}

std::vector<std::uint8_t> iconBytes(const panelsim::PanelSim& sim, IconSet set)
{
    std::vector<std::uint8_t> all;
    for (int i = 0; i < iconSetSize(set); ++i) {
        const IconBitmap b = sim.icon(set, i);
        all.insert(all.end(), b.begin(), b.end());
    }
    return all;
}

TEST(VantorctlPanel, BackupRestoreAndDiffRoundTripByteForByte)
{
    TempFolder tmp("vantorctl");
    auto sim = startSim(tmp);
    // A record with a checksummed long message, as the panel holds it.
    KeyDefinition changed = sim->definition(12);
    changed.setChecksumKind(ChecksumKind::Sony);
    changed.setLabelText(true, "  New |Label |      ");
    const std::vector<std::uint8_t> msg{0x20, 0x01, 0x44};
    changed.setOnMessage(msg);
    sim->setDefinition(12, panelCopy(changed));

    Outcome r = vantorctl(tmp, port(tmp) + "backup '" + (tmp / "b1").string() + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto kdl = readAll(tmp / "b1/panel.kdl");
    ASSERT_EQ(kdl.size(), kKdlFileSize);
    for (int i = 0; i < kDefinitionCount; ++i) {
        KeyDefinition held = sim->definition(i);
        stripPanelChecksums(held);
        EXPECT_TRUE(std::equal(held.bytes.begin(), held.bytes.end(), kdl.begin() + i * 114)) << "record " << i;
    }
    EXPECT_TRUE(std::equal(changed.bytes.begin(), changed.bytes.end(), kdl.begin() + 12 * 114));
    EXPECT_EQ(readAll(tmp / "b1/rom.icons"), iconBytes(*sim, IconSet::RomIcons));
    EXPECT_EQ(readAll(tmp / "b1/large.icons"), iconBytes(*sim, IconSet::LargeAscii));
    EXPECT_EQ(readAll(tmp / "b1/panel.RIcon"), iconBytes(*sim, IconSet::RamIcons));

    // An edited copy: one label, one colour and one RAM icon.
    auto edited = kdl;
    edited[3 * 114 + kd::onLabel] = 'Z';
    edited[40 * 114 + kd::offColor] = 5;
    writeRaw(tmp / "edited.kdl", edited);
    auto icons = readAll(tmp / "b1/panel.RIcon");
    for (std::size_t k = 0; k < kIconBytes; ++k)
        icons[7 * kIconBytes + k] = static_cast<std::uint8_t>(k);
    writeRaw(tmp / "edited.RIcon", icons);

    r = vantorctl(tmp, "diff '" + (tmp / "b1/panel.kdl").string() + "' '" + (tmp / "edited.kdl").string() + "'");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("Bank 1 Button 4\n  on label: \""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Bank 5 Button 1\n  off colour: "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Bank 2"), std::string::npos) << r.out;

    r = vantorctl(
        tmp, port(tmp) + "restore '" + (tmp / "edited.kdl").string() + "' '" + (tmp / "edited.RIcon").string() + "'");
    ASSERT_EQ(r.code, 0) << r.err << r.out;
    // Stored with the checksums put back.
    KeyDefinition want12 = KeyDefinition::fromBytes(std::span(edited).subspan(12 * 114, 114));
    EXPECT_EQ(sim->definition(12), panelCopy(want12));
    EXPECT_EQ(sim->definition(12).onLength(), 4);

    r = vantorctl(tmp, port(tmp) + "diff panel '" + (tmp / "edited.kdl").string() + "'");
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "");
    r = vantorctl(tmp, port(tmp) + "diff '" + (tmp / "b1/panel.kdl").string() + "' panel");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("Bank 1 Button 4\n"), std::string::npos) << r.out;

    r = vantorctl(tmp, port(tmp) + "backup '" + (tmp / "b2").string() + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(readAll(tmp / "b2/panel.kdl"), edited);
    EXPECT_EQ(readAll(tmp / "b2/panel.RIcon"), icons);
}

// ROM icon requests the simulator took.
int romRequests(const panelsim::PanelSim& sim)
{
    int n = 0;
    for (const auto& m : sim.received())
        n += m.size() == 7 && m[3] == 0x7F && m[4] == 0x7F;
    return n;
}

TEST(VantorctlPanel, BackupTakesTheCachedIconsAndFullReadRenewsThem)
{
    TempFolder tmp("vantorctl");
    auto sim = startSim(tmp);
    // A cache that agrees with the panel on the icons it checks (the first,
    // middle and last of each set) but not on ROM icon 6.
    const fs::path cache = tmp / "cache" / "vantor";
    IconStore rom, large;
    for (int i = 0; i < kRomIconCount; ++i)
        rom.push_back(sim->icon(IconSet::RomIcons, i));
    for (int i = 0; i < kLargeAsciiCount; ++i)
        large.push_back(sim->icon(IconSet::LargeAscii, i));
    rom[5] = IconBitmap(kIconBytes, 0x3C);
    ASSERT_TRUE(writeIconCache(cache, IconSet::RomIcons, rom));
    ASSERT_TRUE(writeIconCache(cache, IconSet::LargeAscii, large));

    Outcome r = vantorctl(tmp, port(tmp) + "backup '" + (tmp / "cached").string() + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(romRequests(*sim), 3);
    auto want = iconBytes(*sim, IconSet::RomIcons);
    std::fill_n(want.begin() + 5 * kIconBytes, kIconBytes, 0x3C);
    EXPECT_EQ(readAll(tmp / "cached/rom.icons"), want) << "the cache's icons";
    EXPECT_EQ(readAll(tmp / "cached/large.icons"), iconBytes(*sim, IconSet::LargeAscii));

    sim->clearReceived();
    r = vantorctl(tmp, port(tmp) + "--full-read backup '" + (tmp / "full").string() + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(romRequests(*sim), kRomIconCount);
    EXPECT_EQ(readAll(tmp / "full/rom.icons"), iconBytes(*sim, IconSet::RomIcons));
    IconStore renewed;
    ASSERT_TRUE(readIconCache(cache, IconSet::RomIcons, renewed));
    EXPECT_EQ(renewed[5], sim->icon(IconSet::RomIcons, 5));
}

TEST(VantorctlPanel, SilentMidBackupExitsThreeAndWritesNothing)
{
    TempFolder tmp("vantorctl");
    auto sim = startSim(tmp, panelsim::Fault::StallAfter, 60);
    const Outcome r = vantorctl(tmp, port(tmp) + "backup '" + (tmp / "b").string() + "'");
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find((tmp / "panel-link").string() + ": the panel stopped answering"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(tmp / "b"));

    const Outcome none = vantorctl(tmp, "--quiet --port '" + (tmp / "no-such-device").string() + "' show panel");
    EXPECT_EQ(none.code, 3);
    EXPECT_NE(none.err.find("no-such-device"), std::string::npos) << none.err;
}

TEST(VantorctlFiles, ShowEveryDisplayTypeAndRefuseBadArguments)
{
    TempFolder tmp("vantorctl");
    KeyDefinitionTable table;
    table[0].setDisplayType(DisplayType::Text);
    table[0].setLabelText(true, "Line 1Line 2Line 3");
    table[0].setOnColor(LedColor::BrightRed);
    table[0].setLatched(true);
    table[0].setRadioGroup(3);
    table[1].setDisplayType(DisplayType::RamIcon);
    table[1].setIconLabel(true, 4);
    table[2].setDisplayType(DisplayType::RomIcon);
    table[2].setIconLabel(false, 0);
    table[3].setDisplayType(DisplayType::LargeAscii);
    table[3].setLargeAsciiLabel(true, 'Q');
    const std::vector<std::uint8_t> keys = keyboardTextToBytes("{C}x");
    table[84].setChecksumKind(ChecksumKind::Vdcp);
    table[84].setOnMessage(keys);
    ASSERT_TRUE(writeKdlFile(tmp / "all.kdl", table).ok());

    Outcome r = vantorctl(tmp, "show '" + (tmp / "all.kdl").string() + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    std::vector<std::string> lines;
    for (std::size_t at = 0, nl; (nl = r.out.find('\n', at)) != std::string::npos; at = nl + 1)
        lines.push_back(r.out.substr(at, nl - at));
    ASSERT_EQ(lines.size(), 90u);
    EXPECT_EQ(lines[0].rfind("Bank 1 Button 1: Text on \"Line 1|Line 2|Line 3\" off ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("LED Bright Red / Dark Green, latched yes, radio group 3"), std::string::npos);
    EXPECT_NE(lines[1].find("RAM Icon on RAM icon 5 "), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("off ROM icon 1,"), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find("Large ASCII on character \"Q\""), std::string::npos) << lines[3];
    EXPECT_EQ(lines[84], "Shift F1: no LCD, latched no, radio group 0, VDCP (Louth) Checksum, on \"04 78\" off \"\"");
    EXPECT_EQ(lines[89].rfind("Knob B: ", 0), 0u);

    r = vantorctl(tmp, "show --keyboard '" + (tmp / "all.kdl").string() + "'");
    EXPECT_NE(r.out.find("on \"{C}x\""), std::string::npos) << r.out;
    r = vantorctl(tmp, "show --json '" + (tmp / "all.kdl").string() + "'");
    EXPECT_NE(r.out.find("{\"index\": 1, \"control\": \"Bank 1 Button 2\", \"displayType\": \"RAM Icon\", "
                         "\"onLabel\": 5,"),
              std::string::npos)
        << r.out.substr(0, 600);

    EXPECT_EQ(vantorctl(tmp, "show").code, 2);
    EXPECT_EQ(vantorctl(tmp, "frobnicate").code, 2);
    writeRaw(tmp / "short.kdl", {1, 2, 3});
    r = vantorctl(tmp, "diff '" + (tmp / "short.kdl").string() + "' '" + (tmp / "all.kdl").string() + "'");
    EXPECT_EQ(r.code, 4);
    EXPECT_NE(r.err.find("short.kdl: not a key definition file"), std::string::npos) << r.err;
}

// What scripts rely on: UTF-8 texts of the panel's Windows-1252 labels, file
// names as the file system has them, damaged files and a failed output refused
// with exit 4.
TEST(VantorctlFiles, ScriptsGetUtf8TextsAndFailuresExitFour)
{
    TempFolder tmp("vantorctl");
    fs::create_directories(tmp / "Studio \u00e4");
    const fs::path kdl = tmp / "Studio \u00e4" / "B\u00fchne 1.kdl";
    KeyDefinitionTable table;
    table[4].setDisplayType(DisplayType::Text);
    table[4].setLabelText(true, "M\xE4r\x80");
    ASSERT_TRUE(writeKdlFile(kdl, table).ok());
    const std::string file = " '" + kdl.string() + "'";

    Outcome r = vantorctl(tmp, "show" + file);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Bank 1 Button 5: Text on \"M\u00e4r\u20ac"), std::string::npos) << r.out.substr(0, 2000);
    r = vantorctl(tmp, "show --json" + file);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\"onLabel\": \"M\u00e4r\u20ac"), std::string::npos) << r.out.substr(0, 2000);

    // Standard output on a full disk.
    const int status = std::system(
        ("'" + std::string(VANTORCTL) + "' show" + file + " >/dev/full 2>'" + (tmp / "err.txt").string() + "'")
            .c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 4);
    EXPECT_EQ(fileText(tmp / "err.txt"), "vantorctl: standard output: cannot be written (No space left on device)\n");

    r = vantorctl(tmp, "--version");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "vantorctl " VANTOR_VERSION "\n");

    // Cut files: a key definition file of 5000 bytes, a RAM icon file of 100.
    auto cut = readAll(kdl);
    cut.resize(5000);
    writeRaw(tmp / "cut.kdl", cut);
    writeRaw(tmp / "cut.RIcon", std::vector<std::uint8_t>(100, 0x11));
    r = vantorctl(tmp, "show '" + (tmp / "cut.kdl").string() + "'");
    EXPECT_EQ(r.code, 4);
    EXPECT_EQ(r.err,
              "vantorctl: " + (tmp / "cut.kdl").string() + ": not a key definition file (5000 bytes, not 10260)\n");
    r = vantorctl(tmp, "icons export '" + (tmp / "cut.RIcon").string() + "' '" + (tmp / "out.png").string() + "'");
    EXPECT_EQ(r.code, 4);
    EXPECT_EQ(r.err, "vantorctl: " + (tmp / "cut.RIcon").string() + ": not a RAM icon file (100 bytes, not 7680)\n");
    EXPECT_FALSE(fs::exists(tmp / "out.png"));
}

// Lit cells of an icon in columns [from, to).
int litIn(const PixelGrid& g, int from, int to)
{
    int n = 0;
    for (int r = 0; r < kIconHeight; ++r)
        for (int c = from; c < to; ++c)
            n += g.lit(c, r);
    return n;
}

// The bounding box of the pixels of exactly this colour.
QRect boxOf(const QImage& image, QColor colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(VantorctlFiles, IconImportThresholdDitherAndLegendSheet)
{
    TempFolder tmp("vantorctl");
    // Black on the left two thirds, grey 160 on the right third.
    QImage picture(72, 48, QImage::Format_RGB32);
    picture.fill(QColor(160, 160, 160));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            picture.setPixelColor(x, y, Qt::black);
    ASSERT_TRUE(picture.save(QString::fromStdString((tmp / "pic.png").string())));
    const std::string pic = "'" + (tmp / "pic.png").string() + "'";
    const std::string ricon = "'" + (tmp / "new.RIcon").string() + "'";

    Outcome r = vantorctl(tmp, "icons import " + pic + " --into " + ricon + " --slot 2 --threshold 128");
    ASSERT_EQ(r.code, 0) << r.err;
    auto bytes = readAll(tmp / "new.RIcon");
    ASSERT_EQ(bytes.size(), kRamIconCount * kIconBytes);
    EXPECT_EQ(std::count(bytes.begin(), bytes.begin() + kIconBytes, 0xFF), 120);
    PixelGrid g = unpackIcon(std::span(bytes).subspan(kIconBytes, kIconBytes));
    EXPECT_EQ(litIn(g, 0, 23), 23 * 24);
    EXPECT_EQ(litIn(g, 25, 36), 0);

    r = vantorctl(tmp, "icons import " + pic + " " + pic + " --into " + ricon + " --slot 3 --threshold 200");
    ASSERT_EQ(r.code, 0) << r.err;
    bytes = readAll(tmp / "new.RIcon");
    ASSERT_EQ(bytes.size(), kRamIconCount * kIconBytes);
    g = unpackIcon(std::span(bytes).subspan(3 * kIconBytes, kIconBytes));
    EXPECT_EQ(litIn(g, 0, 36), 36 * 24);

    r = vantorctl(tmp, "icons import " + pic + " --into " + ricon + " --slot 4 --dither");
    ASSERT_EQ(r.code, 0) << r.err;
    bytes = readAll(tmp / "new.RIcon");
    g = unpackIcon(std::span(bytes).subspan(3 * kIconBytes, kIconBytes));
    EXPECT_EQ(litIn(g, 0, 23), 23 * 24);
    const int greyLit = litIn(g, 25, 36);
    EXPECT_GT(greyLit, 11 * 24 / 5);
    EXPECT_LT(greyLit, 11 * 24 / 2);

    const auto before = readAll(tmp / "new.RIcon");
    EXPECT_EQ(vantorctl(tmp, "icons import " + pic + " --into " + ricon + " --dither --threshold 9").code, 2);
    EXPECT_EQ(vantorctl(tmp, "icons import " + pic + " " + pic + " --into " + ricon + " --slot 64").code, 2);
    writeRaw(tmp / "junk.png", {'n', 'o', 't'});
    r = vantorctl(tmp, "icons import '" + (tmp / "junk.png").string() + "' --into " + ricon);
    EXPECT_EQ(r.code, 4);
    EXPECT_NE(r.err.find("junk.png: cannot be read as a picture"), std::string::npos) << r.err;
    EXPECT_EQ(readAll(tmp / "new.RIcon"), before);

    // A legend: a text button in bright red, a RAM icon button in bright orange.
    fs::create_directories(tmp / "icons");
    fs::copy_file(tmp / "new.RIcon", tmp / "icons/panel.RIcon");
    writeRaw(tmp / "icons/rom.icons", std::vector<std::uint8_t>(kRomIconCount * kIconBytes, 0));
    writeRaw(tmp / "icons/large.icons", std::vector<std::uint8_t>(kLargeAsciiCount * kIconBytes, 0));
    KeyDefinitionTable table;
    for (int i = 0; i < kFirstFunctionKeyIndex; ++i)
        table[i].setOnColor(LedColor::DarkGreen);
    table[0].setOnColor(LedColor::BrightRed);
    table[0].setLabelText(true, "HELLO ");
    table[1].setOnColor(LedColor::BrightOrange);
    table[1].setDisplayType(DisplayType::RamIcon);
    table[1].setIconLabel(true, 1);
    ASSERT_TRUE(writeKdlFile(tmp / "legend.kdl", table).ok());
    const std::string args = "sheet '" + (tmp / "legend.kdl").string() + "' '" + (tmp / "icons").string() + "' -o ";
    r = vantorctl(tmp, args + "'" + (tmp / "legend.png").string() + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    const QImage sheet(QString::fromStdString((tmp / "legend.png").string()));
    ASSERT_FALSE(sheet.isNull());
    // The label's black text lies in the top line of the red face only.
    const QRect red = boxOf(sheet, QColor(255, 0, 0));
    ASSERT_GT(red.height(), 24);
    int top = 0, below = 0;
    for (int y = red.top(); y <= red.bottom(); ++y)
        for (int x = red.left(); x <= red.right(); ++x)
            if (qGray(sheet.pixel(x, y)) < 60)
                (y < red.top() + red.height() / 3 ? top : below)++;
    EXPECT_GT(top, 20);
    EXPECT_EQ(below, 0);
    // The icon: lit columns black to the left of the orange (unlit) part, the same height.
    const QRect orange = boxOf(sheet, QColor(255, 128, 64));
    ASSERT_GT(orange.width(), 0);
    const int scale = orange.height() / kIconHeight;
    ASSERT_GE(scale, 1);
    EXPECT_EQ(sheet.pixelColor(orange.left() - 3 * scale, orange.center().y()), QColor(Qt::black));
    EXPECT_EQ(sheet.pixelColor(orange.left() - 22 * scale, orange.top() + 1), QColor(Qt::black));

    r = vantorctl(tmp, args + "'" + (tmp / "legend.pdf").string() + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    const auto pdf = readAll(tmp / "legend.pdf");
    ASSERT_GT(pdf.size(), 1000u);
    EXPECT_EQ(std::string(pdf.begin(), pdf.begin() + 5), "%PDF-");
    // A legend whose icons cannot be read writes nothing.
    fs::remove(tmp / "icons/panel.RIcon");
    r = vantorctl(tmp, args + "'" + (tmp / "broken.pdf").string() + "'");
    EXPECT_EQ(r.code, 4);
    EXPECT_NE(r.err.find("panel.RIcon: cannot be read"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(tmp / "broken.pdf"));

    // The contact sheet of the RAM icon file.
    r = vantorctl(tmp, "icons export " + ricon + " '" + (tmp / "ram.png").string() + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    const QImage contact(QString::fromStdString((tmp / "ram.png").string()));
    EXPECT_TRUE(boxOf(contact, QColor(Qt::white)).isValid());
}

} // namespace
} // namespace vantor::test
