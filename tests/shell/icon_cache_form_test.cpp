// The icon cache seen from the program: the start-up connect takes the ROM
// icons and large characters from the cache after checking three of each, the
// panel picture shows the same icons as after reading everything, "Setup > Read
// Everything Again" reads the whole panel and renews the cache, and
// "Setup"/"IconCache" = 0 leaves the cache alone.
#include "connected_form_support.h"

#include "definitions/kdl_file.h"
#include "devicelink/transfers.h"
#include "platform/system/profile.h"
#include "shell/control_ids.h"

#include <QAction>
#include <QImage>
#include <QMenuBar>

namespace vantor::test {
namespace {

using namespace vantor::mainid;

// ROM icon 31 is not one the connect checks, and no button shows it.
constexpr int kStaleIcon = 30;
const IconBitmap kStale(kIconBytes, 0x5A);

class IconCacheFormTest : public ConnectedFormTest {
protected:
    // A cache that agrees with the panel except in one ROM icon.
    void prepareIconCache() override
    {
        fillIconCache(*sim);
        IconStore rom;
        ASSERT_TRUE(readIconCache(iconCacheFolder(), IconSet::RomIcons, rom));
        rom[kStaleIcon] = kStale;
        ASSERT_TRUE(writeIconCache(iconCacheFolder(), IconSet::RomIcons, rom));
    }
    static std::vector<Bytes> fullRead()
    {
        std::vector<int> rom, large;
        for (int i = 0; i < kRomIconCount; ++i)
            rom.push_back(i);
        for (int i = 0; i < kLargeAsciiCount; ++i)
            large.push_back(i);
        return connectRequests(rom, large);
    }
    // The main window with bank `bank` (1..8) on the panel picture.
    QImage windowWithBank(int bank)
    {
        click(bankKeyFirst + 5 * (bank - 1));
        EXPECT_EQ(text(bankNumber), std::to_string(bank));
        const std::string path = (dir / ("bank" + std::to_string(bank) + ".png")).string();
        EXPECT_EQ(GN_GRABFORM(form, path), 1);
        return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
    }
    void pickSetup(const QString& item)
    {
        QMenuBar* bar = toolkitFormWidget(form)->findChild<QMenuBar*>();
        ASSERT_NE(bar, nullptr);
        for (QAction* top : bar->actions())
            if (top->text() == "&Setup")
                for (QAction* a : top->menu()->actions())
                    if (a->text() == item) {
                        a->trigger();
                        settle();
                        return;
                    }
        FAIL() << item.toStdString();
    }
    IconStore cachedRom()
    {
        IconStore rom;
        EXPECT_TRUE(readIconCache(iconCacheFolder(), IconSet::RomIcons, rom));
        return rom;
    }
};

TEST_F(IconCacheFormTest, CachedStartShowsTheIconsOfAFullReadAndReadEverythingAgainRenewsTheCache)
{
    EXPECT_EQ(connectMessages, connectRequests({0, 20, 39}, {0, 48, 95, 1, 2}));
    EXPECT_EQ(romIcons()[kStaleIcon], kStale) << "taken from the cache";
    const QImage romBank = windowWithBank(2), largeBank = windowWithBank(3);
    ASSERT_FALSE(romBank.isNull());
    EXPECT_NE(romBank, largeBank);

    sim->clearReceived();
    pickSetup("Read Everything &Again");
    EXPECT_EQ(sim->received(), fullRead());
    EXPECT_EQ(serialPort().panelPort.load(), 1);
    for (int i = 0; i < kRomIconCount; ++i)
        EXPECT_EQ(romIcons()[i], sim->icon(IconSet::RomIcons, i)) << i;
    for (int i = 0; i < kLargeAsciiCount; ++i)
        EXPECT_EQ(largeAsciiIcons()[i], sim->icon(IconSet::LargeAscii, i)) << i;
    EXPECT_EQ(cachedRom()[kStaleIcon], sim->icon(IconSet::RomIcons, kStaleIcon)) << "the cache renewed";
    // The buttons of the ROM icon bank and the large character bank look the same.
    EXPECT_EQ(windowWithBank(2), romBank);
    EXPECT_EQ(windowWithBank(3), largeBank);
}

class IconCacheOffTest : public IconCacheFormTest {
protected:
    void prepareContent() override
    {
        ASSERT_TRUE(writePrivateProfileString("Setup", "IconCache", " 0", settingsFilePath()));
    }
};

TEST_F(IconCacheOffTest, SettingZeroReadsEverythingAndLeavesTheCacheAlone)
{
    EXPECT_EQ(connectMessages, fullRead());
    EXPECT_EQ(romIcons()[kStaleIcon], sim->icon(IconSet::RomIcons, kStaleIcon));
    EXPECT_EQ(cachedRom()[kStaleIcon], kStale);
}

} // namespace
} // namespace vantor::test
