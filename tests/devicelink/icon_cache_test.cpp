// The icon cache: its file read and written, and the connect that takes the ROM
// icons and large characters from it when the panel agrees, against the
// simulator over a pty.
#include "devicelink/icon_cache.h"
#include "devicelink/transfers.h"
#include "tests/devicelink/test_support.h"
#include "tests/support/icon_cache_fill.h"

#include "definitions/kdl_file.h"
#include "iconeditor/icon_bitmap.h"

using namespace vantor;
using vantor::panelsim::PanelSim;
using vantor::test::connectRequests;
using vantor::test::PortEnvironment;
using vantor::test::RecordingUi;

namespace {

struct PanelLoadedUi : RecordingUi {
    int loaded = 0;
    void panelLoaded() override { ++loaded; }
};

struct CachedLink {
    explicit CachedLink(const std::filesystem::path& cache)
    {
        LinkOptions o;
        o.iconCacheDir = cache.string();
        link.setOptions(o);
    }
    SerialPort port;
    KeyDefinitionTable table;
    IconStores icons;
    PanelLoadedUi ui;
    DeviceLink link{port, table, icons, ui};
};

IconStore panelIcons(const PanelSim& sim, IconSet set)
{
    IconStore icons;
    for (int i = 0; i < iconSetSize(set); ++i)
        icons.push_back(sim.icon(set, i));
    return icons;
}

std::vector<int> upTo(int count)
{
    std::vector<int> v;
    for (int i = 0; i < count; ++i)
        v.push_back(i);
    return v;
}

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& p)
{
    std::vector<std::uint8_t> b;
    EXPECT_EQ(readWholeFile(p, b), FileError::None) << p;
    return b;
}

} // namespace

TEST(IconCacheFile, OnlyAWholeFileOfItsSetAndVersionIsTaken)
{
    IconStore rom;
    for (int i = 0; i < kRomIconCount; ++i)
        rom.push_back(IconBitmap(kIconBytes, static_cast<std::uint8_t>(i * 7)));
    const auto bytes = iconCacheBytes(IconSet::RomIcons, rom);
    ASSERT_EQ(bytes.size(), kIconCacheHeadBytes + 40 * kIconBytes + 4);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "VANTORIC");
    EXPECT_EQ(bytes[8], kIconCacheVersion);
    EXPECT_EQ(bytes[9], 0x7F);
    IconStore back;
    ASSERT_TRUE(readIconCacheBytes(bytes, IconSet::RomIcons, back));
    EXPECT_EQ(back, rom);

    const IconStore untouched(kRomIconCount, IconBitmap(kIconBytes, 0x55));
    auto refused = [&](std::vector<std::uint8_t> b, IconSet set, const char* why) {
        IconStore out =
            set == IconSet::RomIcons ? untouched : IconStore(kLargeAsciiCount, IconBitmap(kIconBytes, 0x55));
        const IconStore was = out;
        EXPECT_FALSE(readIconCacheBytes(b, set, out)) << why;
        EXPECT_EQ(out, was) << why;
    };
    refused({}, IconSet::RomIcons, "empty");
    refused({bytes.begin(), bytes.end() - 1}, IconSet::RomIcons, "one byte short");
    auto longer = bytes;
    longer.push_back(0);
    refused(longer, IconSet::RomIcons, "one byte long");
    auto flipped = bytes;
    flipped[kIconCacheHeadBytes + 500] ^= 0x10;
    refused(flipped, IconSet::RomIcons, "a bitmap bit changed");
    refused(bytes, IconSet::LargeAscii, "the other set");
    refused(bytes, IconSet::RamIcons, "RAM icons are never cached");
    // Another version with a CRC that fits it (the CRC-32 of all before it,
    // low byte first, as the file holds it for its own version).
    IconStore large(kLargeAsciiCount, IconBitmap(kIconBytes, 1));
    auto other = iconCacheBytes(IconSet::LargeAscii, large);
    ASSERT_FALSE(other.empty());
    auto setCrc = [](std::vector<std::uint8_t>& b) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (std::size_t i = 0; i + 4 < b.size(); ++i) {
            crc ^= b[i];
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        crc = ~crc;
        for (int k = 0; k < 4; ++k)
            b[b.size() - 4 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(crc >> (8 * k));
    };
    auto same = other;
    setCrc(same);
    EXPECT_EQ(same, other);
    other[8] = kIconCacheVersion + 1;
    setCrc(other);
    refused(other, IconSet::LargeAscii, "another version");

    // A set with an icon missing or short is not written.
    rom[3].clear();
    EXPECT_TRUE(iconCacheBytes(IconSet::RomIcons, rom).empty());
    PortEnvironment env;
    EXPECT_FALSE(writeIconCache(env.dir() / "cache", IconSet::RomIcons, rom));
    EXPECT_FALSE(std::filesystem::exists(env.dir() / "cache" / "rom-icons.cache"));
}

TEST(IconCacheConnect, FirstConnectReadsAllSecondChecksThreeOfEachCachedSet)
{
    PortEnvironment env;
    auto& panel = env.sim(1);
    const auto cache = env.dir() / "cache";
    {
        CachedLink first(cache);
        first.link.connectPanel();
        EXPECT_EQ(panel.received(), connectRequests(upTo(40), upTo(96))) << "today's 290 requests";
        EXPECT_EQ(first.ui.loaded, 1);
    }
    IconStore rom, large;
    ASSERT_TRUE(readIconCache(cache, IconSet::RomIcons, rom));
    ASSERT_TRUE(readIconCache(cache, IconSet::LargeAscii, large));
    EXPECT_EQ(rom, panelIcons(panel, IconSet::RomIcons));
    EXPECT_EQ(large, panelIcons(panel, IconSet::LargeAscii));
    const auto romFile = fileBytes(iconCacheFile(cache, IconSet::RomIcons));

    panel.clearReceived();
    CachedLink second(cache);
    second.link.connectPanel();
    // The three fixed checks of each set, and the first of the checks in
    // turn: ROM icon 0 (one a connect), large characters 0, 1, 2 (three).
    EXPECT_EQ(panel.received(), connectRequests({0, 20, 39}, {0, 48, 95, 1, 2}));
    EXPECT_EQ(second.icons.romIcons, panelIcons(panel, IconSet::RomIcons));
    EXPECT_EQ(second.icons.ramIcons, panelIcons(panel, IconSet::RamIcons));
    EXPECT_EQ(second.icons.largeAsciiIcons, panelIcons(panel, IconSet::LargeAscii));
    for (int d = 0; d < kDefinitionCount; ++d) {
        KeyDefinition expected = panel.definition(d);
        stripPanelChecksums(expected);
        EXPECT_EQ(second.table[d], expected) << "record " << d;
    }
    EXPECT_EQ(second.ui.loaded, 1) << "a connect from the cache has loaded the whole panel";
    // No progress window: the definitions and then the icons show in the
    // status strip only.
    EXPECT_EQ(second.ui.events, (std::vector<std::string>{"stop-poll", "search", "close-search", "start-poll"}));
    EXPECT_TRUE(second.ui.progress.empty());
    // A set read alone (as Read Everything Again reads them) has its window,
    // the cache's checks running the bar to 100 %.
    second.ui.progress.clear();
    second.link.loadRomIcons();
    EXPECT_EQ(second.ui.progress, (std::vector<int>{0, 25, 50, 75, 100})) << "three checks and one in turn";
    EXPECT_EQ(fileBytes(iconCacheFile(cache, IconSet::RomIcons)), romFile);
}

TEST(IconCacheConnect, AnIconCorruptedInTheCacheIsFoundByTheChecksInTurn)
{
    PortEnvironment env;
    auto& panel = env.sim(1);
    const auto cache = env.dir() / "cache";
    // A cache whose ROM icon 1 was hurt on the line when it was read (a
    // whole file with a right CRC): the three fixed checks never see it.
    IconStore rom = panelIcons(panel, IconSet::RomIcons);
    rom[1][5] ^= 0x10;
    ASSERT_TRUE(writeIconCache(cache, IconSet::RomIcons, rom));
    ASSERT_TRUE(writeIconCache(cache, IconSet::LargeAscii, panelIcons(panel, IconSet::LargeAscii)));
    auto connectOnce = [&] {
        CachedLink l(cache);
        l.port.openPort(1, true);
        l.port.panelPort = 1;
        panel.clearReceived();
        l.link.loadRomIcons();
        return std::make_pair(panel.received(), l.icons.romIcons);
    };
    const auto [first, firstIcons] = connectOnce();
    EXPECT_EQ(first.size(), 3u) << "checks 0, 20, 39 (0 also the first in turn)";
    EXPECT_EQ(firstIcons, rom) << "the damage is not seen yet";
    const auto [second, secondIcons] = connectOnce();
    // Icon 1, next in turn, differs: the whole set is read and cached anew.
    std::vector<Bytes> want{link::iconRequest(0x7F, 0), link::iconRequest(0x7F, 20), link::iconRequest(0x7F, 39),
                            link::iconRequest(0x7F, 1)};
    for (int i = 0; i < kRomIconCount; ++i)
        want.push_back(link::iconRequest(0x7F, i));
    EXPECT_EQ(second, want);
    EXPECT_EQ(secondIcons, panelIcons(panel, IconSet::RomIcons));
    IconStore now;
    ASSERT_TRUE(readIconCache(cache, IconSet::RomIcons, now));
    EXPECT_EQ(now, panelIcons(panel, IconSet::RomIcons));

    // Cache files are the user's own: 0600, and never read or written
    // through a link.
    EXPECT_EQ(std::filesystem::status(iconCacheFile(cache, IconSet::RomIcons)).permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const auto elsewhere = env.dir() / "elsewhere.cache";
    std::filesystem::rename(iconCacheFile(cache, IconSet::RomIcons), elsewhere);
    std::filesystem::create_symlink(elsewhere, iconCacheFile(cache, IconSet::RomIcons));
    EXPECT_FALSE(readIconCache(cache, IconSet::RomIcons, now));
    EXPECT_FALSE(writeIconCache(cache, IconSet::RomIcons, now));
    EXPECT_TRUE(std::filesystem::is_symlink(iconCacheFile(cache, IconSet::RomIcons)));
}

TEST(IconCacheConnect, OtherRomIconsAreReadWholeAndReplaceTheCache)
{
    PortEnvironment env;
    auto& panel = env.sim(1);
    const auto cache = env.dir() / "cache";
    // The cache of another firmware: every ROM icon inverted.
    IconStore old = panelIcons(panel, IconSet::RomIcons);
    for (auto& icon : old)
        for (auto& b : icon)
            b = static_cast<std::uint8_t>(~b);
    ASSERT_TRUE(writeIconCache(cache, IconSet::RomIcons, old));
    CachedLink l(cache);
    l.port.openPort(1, true);
    ASSERT_TRUE(l.port.isOpen());
    l.port.panelPort = 1;
    l.link.loadRomIcons();
    std::vector<Bytes> want{link::iconRequest(0x7F, 0)};
    for (int i = 0; i < kRomIconCount; ++i)
        want.push_back(link::iconRequest(0x7F, i));
    EXPECT_EQ(panel.received(), want) << "the first check differs, then the whole set";
    EXPECT_EQ(l.icons.romIcons, panelIcons(panel, IconSet::RomIcons));
    IconStore now;
    ASSERT_TRUE(readIconCache(cache, IconSet::RomIcons, now));
    EXPECT_EQ(now, panelIcons(panel, IconSet::RomIcons)) << "the cache replaced";
}

TEST(IconCacheConnect, CorruptOrTruncatedCacheFilesFallBackToAFullRead)
{
    PortEnvironment env;
    auto& panel = env.sim(1);
    const auto cache = env.dir() / "cache";
    ASSERT_TRUE(writeIconCache(cache, IconSet::RomIcons, panelIcons(panel, IconSet::RomIcons)));
    ASSERT_TRUE(writeIconCache(cache, IconSet::LargeAscii, panelIcons(panel, IconSet::LargeAscii)));
    std::vector<std::uint8_t> rom, large;
    ASSERT_EQ(readWholeFile(iconCacheFile(cache, IconSet::RomIcons), rom), FileError::None);
    ASSERT_EQ(readWholeFile(iconCacheFile(cache, IconSet::LargeAscii), large), FileError::None);
    rom[kIconCacheHeadBytes + 7] ^= 0x01; // one pixel of icon 0
    large.resize(large.size() / 2);       // cut off in the middle
    ASSERT_TRUE(writeFileReplacing(iconCacheFile(cache, IconSet::RomIcons), rom).ok());
    ASSERT_TRUE(writeFileReplacing(iconCacheFile(cache, IconSet::LargeAscii), large).ok());

    CachedLink l(cache);
    l.port.openPort(1, true);
    ASSERT_TRUE(l.port.isOpen());
    l.port.panelPort = 1;
    l.link.loadRomIcons();
    l.link.loadLargeAsciiIcons();
    std::vector<Bytes> want;
    for (int i = 0; i < kRomIconCount; ++i)
        want.push_back(link::iconRequest(0x7F, i));
    for (int c = 32; c <= 127; ++c)
        want.push_back(link::iconRequest(0x7D, c));
    EXPECT_EQ(panel.received(), want);
    EXPECT_EQ(l.icons.romIcons, panelIcons(panel, IconSet::RomIcons));
    EXPECT_EQ(l.icons.largeAsciiIcons, panelIcons(panel, IconSet::LargeAscii));
    // Both files whole and right again.
    IconStore back;
    EXPECT_TRUE(readIconCache(cache, IconSet::RomIcons, back));
    EXPECT_EQ(back, panelIcons(panel, IconSet::RomIcons));
    EXPECT_TRUE(readIconCache(cache, IconSet::LargeAscii, back));
    EXPECT_EQ(back, panelIcons(panel, IconSet::LargeAscii));
}
