// The Files menu's key definition and RAM icon file commands on the real form,
// the file dialogs answered through the toolkit's hook, and the panel snapshots.
#include "shell_test_support.h"

#include "../support/temp_files.h"
#include "definitions/key_definition.h"
#include "iconeditor/icon_bitmap.h"
#include "shell/control_ids.h"
#include "shell/key_files.h"
#include "shell/panel_snapshots.h"
#include "shell/settings.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <csignal>

namespace vantor::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A record for bank/position with every byte after the header and address set to fill.
Bytes record(std::uint8_t bank, std::uint8_t position, std::uint8_t fill)
{
    Bytes r(kDefinitionSize, fill);
    r[0] = 0xF0, r[1] = 0x15, r[2] = 0x2C, r[3] = 0x7E;
    r[4] = position;
    r[5] = bank;
    return r;
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes recordAt(int index)
{
    const auto& b = definitionTable()[index].bytes;
    return Bytes(b.begin(), b.end());
}

class KeyFilesTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        definitionTable().initialise();
        ramIcons().assign(kRamIconCount, IconBitmap(kIconBytes, 0x55));
        files::resetFileState();
        setFileDialogHook([this](const GnFileDialogRequest& r) {
            requests.push_back(r);
            return answer;
        });
    }
    void TearDown() override
    {
        setFileDialogHook(nullptr);
        files::resetFileState();
        MainFormTest::TearDown();
    }
    void pick(int menuId, const fs::path& path)
    {
        answer = path.string();
        triggerMenuItem(menuId);
    }

    TempFolder dir;
    std::string answer;
    std::vector<GnFileDialogRequest> requests;
};

TEST_F(KeyFilesTest, SaveAsAddsTheExtensionUnlessPresentInAnyCase)
{
    pick(mainid::menuSaveKeysAs, dir / "keys");
    const Bytes written = readAll(dir / "keys.kdl");
    ASSERT_EQ(written.size(), 10260u);
    for (int i = 0; i < kDefinitionCount; ++i) {
        EXPECT_EQ(written[114 * i + 4], i % 10) << i;
        EXPECT_EQ(written[114 * i + 5], i / 10) << i;
    }
    pick(mainid::menuSaveKeysAs, dir / "Mixed.KdL");
    EXPECT_EQ(readAll(dir / "Mixed.KdL"), written);
    EXPECT_FALSE(fs::exists(dir / "Mixed.KdL.kdl"));

    pick(mainid::menuSaveRamIconsAs, dir / "icons");
    EXPECT_EQ(readAll(dir / "icons.RIcon"), Bytes(64 * 120, 0x55));
    pick(mainid::menuSaveRamIconsAs, dir / "ICONS.RICON");
    EXPECT_TRUE(fs::exists(dir / "ICONS.RICON"));
    EXPECT_FALSE(fs::exists(dir / "ICONS.RICON.RIcon"));

    // "Save" then goes to the current file without a dialog.
    requests.clear();
    ramIcons()[3] = IconBitmap(120, 0x07);
    triggerMenuItem(mainid::menuSaveRamIcons);
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(readAll(dir / "ICONS.RICON")[3 * 120], 0x07);
    EXPECT_TRUE(messages.empty());
}

TEST_F(KeyFilesTest, LoadPlacesRecordsByTheirOwnBankAndPosition)
{
    // 90 records: index 90 skipped, the later of two same-slot records wins,
    // any extension is accepted.
    Bytes file =
        concat({record(5, 7, 0x22), record(2, 3, 0x11), record(9, 0, 0x66), record(0, 5, 0x33), record(0, 5, 0x44)});
    for (int i = 5; i < kDefinitionCount; ++i)
        file = concat({file, record(1, 1, 0x09)});
    writeRaw(dir / "mixed.bin", file);
    pick(mainid::menuLoadKeys, dir / "mixed.bin");
    for (int i = 0; i < kDefinitionCount; ++i) {
        const bool loaded = i == 5 || i == 11 || i == 23 || i == 57;
        // The refreshed editor shows the selected control (bank 1, button 1) again,
        // which marks its definition for sending as well.
        EXPECT_EQ(definitionTable().sendPending[i], loaded || i == 0) << i;
        if (!loaded) {
            EXPECT_EQ(recordAt(i), record(static_cast<std::uint8_t>(i / 10), static_cast<std::uint8_t>(i % 10), 0))
                << i;
        }
    }
    EXPECT_EQ(recordAt(5), record(0, 5, 0x44));
    EXPECT_EQ(recordAt(11), record(1, 1, 0x09));
    EXPECT_EQ(recordAt(23), record(2, 3, 0x11));
    EXPECT_EQ(recordAt(57), record(5, 7, 0x22));
    // Both open dialogs offer the snapshot folder in their side bar once it exists.
    {
        const QByteArray saved = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", dir.path().c_str());
        fs::create_directories(snapshots::snapshotFolder());
        pick(mainid::menuLoadKeys, dir / "mixed.bin");
        pick(mainid::menuLoadRamIcons, "");
        qputenv("XDG_STATE_HOME", saved);
        ASSERT_EQ(requests.size(), 3u);
        for (std::size_t i : {1u, 2u})
            EXPECT_EQ(requests[i].places, std::vector<std::string>{(dir / "vantor/snapshots").string()});
    }

    // Revert reads the current file again.
    definitionTable()[5] = initialDefinition(5);
    triggerMenuItem(mainid::menuRevertKeys);
    EXPECT_EQ(recordAt(5), record(0, 5, 0x44));
    EXPECT_TRUE(messages.empty());
}

TEST_F(KeyFilesTest, RevertWithoutACurrentFileDoesNothing)
{
    definitionTable()[4].bytes[20] = 0x5A;
    triggerMenuItem(mainid::menuRevertKeys);
    triggerMenuItem(mainid::menuRevertRamIcons);
    EXPECT_TRUE(requests.empty());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(definitionTable()[4].bytes[20], 0x5A);
    EXPECT_EQ(ramIcons()[0], IconBitmap(120, 0x55));
}

TEST_F(KeyFilesTest, OnlyWholeFilesLoadDamagedOnesAreRefusedAndSaid)
{
    Bytes icons;
    for (int k = 0; k < kRamIconCount; ++k)
        icons.insert(icons.end(), 120, static_cast<std::uint8_t>(0x80 + k));
    writeRaw(dir / "all.data", icons);
    pick(mainid::menuLoadRamIcons, dir / "all.data");
    for (int k = 0; k < kRamIconCount; ++k)
        EXPECT_EQ(ramIcons()[k], IconBitmap(120, static_cast<std::uint8_t>(0x80 + k))) << k;
    EXPECT_TRUE(messages.empty());

    // Two icons, 65 icons, two records, half a table: nothing changes.
    const std::string s = dir.path().string() + "/";
    writeRaw(dir / "two.RIcon", Bytes(240, 0x01));
    writeRaw(dir / "big.RIcon", concat({icons, Bytes(120, 0x02)}));
    writeRaw(dir / "two.kdl", concat({record(2, 3, 0x11), record(5, 7, 0x22)}));
    writeRaw(dir / "cut.kdl", Bytes(5000, 0x33));
    pick(mainid::menuLoadRamIcons, dir / "two.RIcon");
    pick(mainid::menuLoadRamIcons, dir / "big.RIcon");
    pick(mainid::menuLoadKeys, dir / "two.kdl");
    pick(mainid::menuLoadKeys, dir / "cut.kdl");
    triggerMenuItem(mainid::menuRevertKeys);
    const std::vector<Message> said{
        {"Halvern Devices", "Cannot load " + s + "two.RIcon: not a RAM icon file (240 bytes, not 7680)"},
        {"Halvern Devices", "Cannot load " + s + "big.RIcon: not a RAM icon file (7800 bytes, not 7680)"},
        {"Halvern Devices", "Cannot load " + s + "two.kdl: not a key definition file (228 bytes, not 10260)"},
        {"Halvern Devices", "Cannot load " + s + "cut.kdl: not a key definition file (5000 bytes, not 10260)"},
        {"Halvern Devices", "Cannot load " + s + "cut.kdl: not a key definition file (5000 bytes, not 10260)"}};
    EXPECT_EQ(messages, said);
    for (int k = 0; k < kRamIconCount; ++k)
        EXPECT_EQ(ramIcons()[k], IconBitmap(120, static_cast<std::uint8_t>(0x80 + k))) << k;
    for (int i = 0; i < kDefinitionCount; ++i) {
        EXPECT_FALSE(definitionTable().sendPending[i]) << i;
        EXPECT_EQ(recordAt(i), record(static_cast<std::uint8_t>(i / 10), static_cast<std::uint8_t>(i % 10), 0)) << i;
    }
}

TEST_F(KeyFilesTest, FailuresAreReportedAndKeepTheOldFile)
{
    // A folder chosen as a file to load.
    pick(mainid::menuLoadKeys, dir.path());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Halvern Devices");
    EXPECT_NE(messages[0].text.find(dir.path().string()), std::string::npos);
    messages.clear();

    pick(mainid::menuSaveKeysAs, dir / "keep.kdl");
    pick(mainid::menuSaveRamIconsAs, dir / "keep.RIcon");
    const Bytes oldKeys = readAll(dir / "keep.kdl"), oldIcons = readAll(dir / "keep.RIcon");
    // A folder that is not writable; root writes anyway, so for root the disk is
    // made full instead: no file may grow past 4 KB (both files are larger).
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const bool root = ::access(dir.path().c_str(), W_OK) == 0;
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    if (root) {
        fs::permissions(dir.path(), fs::perms::owner_all);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{4096, before.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    definitionTable()[0].bytes[20] = 0x5A;
    ramIcons()[0] = IconBitmap(120, 0x00);
    triggerMenuItem(mainid::menuSaveKeys);
    triggerMenuItem(mainid::menuSaveRamIcons);
    if (root)
        ::setrlimit(RLIMIT_FSIZE, &before);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].caption, "Halvern Devices");
    EXPECT_NE(messages[0].text.find((dir / "keep.kdl").string()), std::string::npos);
    EXPECT_NE(messages[1].text.find((dir / "keep.RIcon").string()), std::string::npos);
    EXPECT_EQ(readAll(dir / "keep.kdl"), oldKeys);
    EXPECT_EQ(readAll(dir / "keep.RIcon"), oldIcons);
}

// Where dialogs start, run after run, and Files > Recent.
TEST_F(KeyFilesTest, DialogsStartInTheLastFolderAndRecentListsTheLastEight)
{
    // No folder yet: the user's documents folder.
    fs::create_directories(dir / "Dokumente");
    fs::create_directories(dir / "config");
    const std::string dirs = "XDG_DOCUMENTS_DIR=\"" + (dir / "Dokumente").string() + "\"\n";
    writeRaw(dir / "config/user-dirs.dirs", Bytes(dirs.begin(), dirs.end()));
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", (dir / "config").c_str());
    pick(mainid::menuLoadKeys, "");
    qputenv("XDG_CONFIG_HOME", config);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].folder, (dir / "Dokumente").string() + "/");

    // Nine files saved: the last folder is kept for the next run; the
    // Recent menu lists the newest eight.
    fs::create_directories(dir / "a");
    for (int i = 1; i <= 9; ++i)
        pick(i % 2 ? mainid::menuSaveKeysAs : mainid::menuSaveRamIconsAs, dir / "a" / ("f" + std::to_string(i)));
    files::resetFileState();
    pick(mainid::menuLoadKeys, "");
    EXPECT_EQ(requests.back().folder, (dir / "a").string() + "/");
    const std::string a = "  (" + (dir / "a").string() + ")";
    EXPECT_EQ(menuItemCaption(mainid::menuRecentFiles[0]), "&1 f9.kdl" + a);
    EXPECT_EQ(menuItemCaption(mainid::menuRecentFiles[1]), "&2 f8.RIcon" + a);
    EXPECT_EQ(menuItemCaption(mainid::menuRecentFiles[7]), "&8 f2.RIcon" + a);
    EXPECT_TRUE(menuItemEnabled(mainid::menuRecent));

    // A recent file is loaded without a dialog and comes first.
    const std::size_t asked = requests.size();
    definitionTable()[7].bytes[20] = 0x5A;
    triggerMenuItem(mainid::menuRecentFiles[2]);
    EXPECT_EQ(requests.size(), asked);
    EXPECT_EQ(files::currentKeyFile(), (dir / "a/f7.kdl").string());
    EXPECT_NE(definitionTable()[7].bytes[20], 0x5A);
    EXPECT_EQ(menuItemCaption(mainid::menuRecentFiles[0]), "&1 f7.kdl" + a);
    EXPECT_TRUE(messages.empty());

    // A settings file that cannot be written is said once, with path and reason.
    writeRaw(dir / "plain", Bytes{1});
    const QByteArray settings = qgetenv("VANTOR_SETTINGS_FILE");
    qputenv("VANTOR_SETTINGS_FILE", (dir / "plain/Vantor.ini").c_str());
    pick(mainid::menuSaveKeysAs, dir / "a/g1");
    pick(mainid::menuSaveKeysAs, dir / "a/g2");
    qputenv("VANTOR_SETTINGS_FILE", settings);
    settings::resetSettingsProblem();
    const std::vector<Message> said{{"Halvern Devices",
                                     "Cannot write the settings file " + (dir / "plain/Vantor.ini").string() +
                                         ": Not a directory. Settings made now are kept until Vantor "
                                         "ends."}};
    EXPECT_EQ(messages, said);
    EXPECT_TRUE(fs::exists(dir / "a/g2.kdl"));
}

TEST(PanelSnapshots, WrittenOncePerContentAndPrunedToFifty)
{
    TempFolder state;
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", state.path().c_str());
    const fs::path folder = state / "vantor/snapshots";
    EXPECT_EQ(snapshots::snapshotFolder(), folder);

    KeyDefinitionTable table;
    IconStore icons(kRamIconCount, IconBitmap(120, 0x3C));
    const auto t0 = std::chrono::system_clock::now();
    ASSERT_TRUE(snapshots::writeSnapshot(table, icons, t0));
    EXPECT_FALSE(snapshots::writeSnapshot(table, icons, t0 + std::chrono::seconds(5)));
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder))
        files.push_back(e.path());
    ASSERT_EQ(files.size(), 2u);
    const fs::path first = files[0].extension() == ".kdl" ? files[0] : files[1];
    EXPECT_EQ(first.filename().string().size(), std::string("panel-20261208-103000.kdl").size());
    EXPECT_EQ(readAll(first), table.serialise());
    EXPECT_EQ(readAll(fs::path(first).replace_extension(".RIcon")), Bytes(64 * 120, 0x3C));

    for (int i = 1; i <= 54; ++i) {
        table[0].bytes[20] = static_cast<std::uint8_t>(i);
        ASSERT_TRUE(snapshots::writeSnapshot(table, icons, t0 + std::chrono::seconds(10 * i))) << i;
    }
    int kdl = 0, ricon = 0;
    for (const auto& e : fs::directory_iterator(folder))
        (e.path().extension() == ".kdl" ? kdl : ricon)++;
    EXPECT_EQ(kdl, 50);
    EXPECT_EQ(ricon, 50);
    EXPECT_FALSE(fs::exists(first));
    qputenv("XDG_STATE_HOME", saved);
}

} // namespace
} // namespace vantor::test
