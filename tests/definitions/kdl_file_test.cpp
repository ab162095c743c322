#include "definitions/kdl_file.h"

#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vantor::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

using test::readAll;
using test::TempFolder;
using test::writeRaw;

// A distinctive record for (bank, position).
KeyDefinition sample(int bank, int position, std::uint8_t tag)
{
    KeyDefinition def = initialDefinition(definitionIndex(bank, position));
    def.setOnColor(LedColor::BrightRed);
    def.setLabelText(true, "TAG");
    def.onLabel()[5] = tag;
    def.reserved()[0] = tag;
    def.reserved()[3] = 0x99;
    def.setFlags(0x0B);
    def.setOnMessage(Bytes{0x20, 0x01});
    def.setOffMessage(Bytes{tag});
    return def;
}

Bytes recordsBytes(const std::vector<KeyDefinition>& defs)
{
    Bytes out;
    for (const auto& d : defs)
        out.insert(out.end(), d.bytes.begin(), d.bytes.end());
    return out;
}

TEST(KdlFile, WholeTableRoundTripsByteForByte)
{
    TempFolder dir;
    KeyDefinitionTable table;
    for (int i = 0; i < kDefinitionCount; ++i)
        table[i] = sample(i / 10, i % 10, static_cast<std::uint8_t>(i));
    const auto path = dir / "keys.kdl";
    const auto w = writeKdlFile(path, table);
    ASSERT_TRUE(w.ok()) << w.message;
    EXPECT_EQ(w.bytesWritten, 10260u);
    const Bytes onDisk = readAll(path);
    ASSERT_EQ(onDisk.size(), 10260u);
    EXPECT_EQ(onDisk, table.serialise());
    // Record 37 sits at 37 * 114, with its own reserved bytes.
    EXPECT_EQ(onDisk[37 * 114 + 5], 3);
    EXPECT_EQ(onDisk[37 * 114 + 4], 7);
    EXPECT_EQ(onDisk[37 * 114 + kd::reserved], 37);
    // Writing changes neither records nor send flags.
    EXPECT_FALSE(table.sendPending[0]);

    KeyDefinitionTable loaded;
    const auto r = readKdlFile(path, loaded);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.recordsRead, 90);
    EXPECT_EQ(r.changedIndexes.size(), 90u);
    EXPECT_EQ(loaded.serialise(), table.serialise());
    for (bool pending : loaded.sendPending)
        EXPECT_TRUE(pending);
}

TEST(KdlFile, TwoRecordFileChangesOnlyThoseTwo)
{
    KeyDefinitionTable table;
    const auto before = table.serialise();
    const Bytes data = recordsBytes({sample(1, 2, 0xA1), sample(8, 9, 0xA2)});
    ASSERT_EQ(data.size(), 228u);
    const auto r = readKdlBytes(data, table);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.recordsRead, 2);
    EXPECT_EQ(r.changedIndexes, (std::vector<int>{12, 89}));
    const auto after = table.serialise();
    for (int i = 0; i < kDefinitionCount; ++i) {
        const bool changed = i == 12 || i == 89;
        EXPECT_EQ(table.sendPending[static_cast<std::size_t>(i)], changed) << i;
        const Bytes rec(after.begin() + i * 114, after.begin() + (i + 1) * 114);
        const Bytes old(before.begin() + i * 114, before.begin() + (i + 1) * 114);
        if (changed)
            EXPECT_NE(rec, old) << i;
        else
            EXPECT_EQ(rec, old) << i;
    }
    EXPECT_EQ(table[12], sample(1, 2, 0xA1));
    EXPECT_EQ(table[89], sample(8, 9, 0xA2));
}

TEST(KdlFile, RecordsPlacedByTheirOwnAddressRegardlessOfOrder)
{
    KeyDefinitionTable table;
    // In file order 45, then bank 9 position 0 (index 90: ignored), then 0.
    auto bank9 = sample(0, 0, 0xB0);
    bank9.setBank(9);
    const auto r = readKdlBytes(recordsBytes({sample(4, 5, 0xB1), bank9, sample(0, 0, 0xB2)}), table);
    EXPECT_EQ(r.recordsRead, 3);
    EXPECT_EQ(r.recordsSkipped, 1);
    EXPECT_EQ(r.changedIndexes, (std::vector<int>{45, 0}));
    EXPECT_EQ(table[45].onLabel()[5], 0xB1);
    EXPECT_EQ(table[0].onLabel()[5], 0xB2);
    // Position 10 of bank 8 is index 90 as well; bank 255 is far beyond.
    auto high = sample(8, 9, 0xB3);
    high.setPosition(10);
    auto far = sample(0, 0, 0xB4);
    far.setBank(255);
    const auto before = table.serialise();
    const auto r2 = readKdlBytes(recordsBytes({high, far}), table);
    EXPECT_EQ(r2.recordsSkipped, 2);
    EXPECT_TRUE(r2.changedIndexes.empty());
    EXPECT_EQ(table.serialise(), before);
}

TEST(KdlFile, LaterDuplicateWins)
{
    KeyDefinitionTable table;
    const auto r = readKdlBytes(recordsBytes({sample(2, 2, 0xC1), sample(2, 2, 0xC2)}), table);
    EXPECT_EQ(r.recordsRead, 2);
    EXPECT_EQ(r.changedIndexes, (std::vector<int>{22}));
    EXPECT_EQ(table[22], sample(2, 2, 0xC2));
}

TEST(KdlFile, LargeFileIsReadInPiecesAcrossRecordBoundaries)
{
    // 200 records (22,800 bytes, more than one read): records cross the
    // boundaries of the pieces the file is read in; later ones win.
    TempFolder dir;
    std::vector<KeyDefinition> defs;
    for (int i = 0; i < 200; ++i)
        defs.push_back(sample((i % 90) / 10, i % 10, static_cast<std::uint8_t>(i)));
    Bytes data = recordsBytes(defs);
    data.insert(data.end(), 13, 0x5A); // and a short tail
    writeRaw(dir / "big.kdl", data);
    KeyDefinitionTable table;
    const auto r = readKdlFile(dir / "big.kdl", table);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.recordsRead, 200);
    EXPECT_EQ(r.trailingBytes, 13u);
    EXPECT_EQ(r.changedIndexes.size(), 90u);
    for (int i = 0; i < 90; ++i) {
        const int last = i + 90 * ((199 - i) / 90); // the last record in the file for slot i
        EXPECT_EQ(table[i], defs[static_cast<std::size_t>(last)]) << i;
    }
}

TEST(KdlFile, ShortTailIsIgnored)
{
    KeyDefinitionTable table;
    Bytes data = recordsBytes({sample(0, 3, 0xD1)});
    const auto tail = sample(0, 4, 0xD2);
    data.insert(data.end(), tail.bytes.begin(), tail.bytes.begin() + 60);
    const auto r = readKdlBytes(data, table);
    EXPECT_EQ(r.recordsRead, 1);
    EXPECT_EQ(r.trailingBytes, 60u);
    EXPECT_EQ(table[4], initialDefinition(4));
    EXPECT_FALSE(table.sendPending[4]);
    EXPECT_EQ(table[3], sample(0, 3, 0xD1));
}

TEST(KdlFile, EmptyPathMissingFileAndEmptyFile)
{
    TempFolder dir;
    KeyDefinitionTable table;
    const auto before = table.serialise();
    EXPECT_EQ(readKdlFile("", table).error, FileError::EmptyPath);
    EXPECT_EQ(readKdlFile(dir / "none.kdl", table).error, FileError::NotFound);
    EXPECT_EQ(readKdlFile(dir.path(), table).error, FileError::OpenFailed); // a folder
    writeRaw(dir / "empty.kdl", {});
    const auto r = readKdlFile(dir / "empty.kdl", table);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.recordsRead, 0);
    EXPECT_EQ(table.serialise(), before);
    for (bool pending : table.sendPending)
        EXPECT_FALSE(pending);
}

TEST(KdlFile, ReadOnlyFileLoadsAndKeepsItsPermissions)
{
    TempFolder dir;
    const auto path = dir / "ro.kdl";
    writeRaw(path, recordsBytes({sample(3, 3, 0xE1)}));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    KeyDefinitionTable table;
    const auto r = readKdlFile(path, table);
    EXPECT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(table[33], sample(3, 3, 0xE1));
    struct stat st { };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST(KdlFile, SavingOverALongerFileLeavesNoTail)
{
    TempFolder dir;
    const auto path = dir / "long.kdl";
    // An old file with 92 records: the extra two would load as stale records.
    KeyDefinitionTable old;
    Bytes oldBytes = old.serialise();
    const Bytes extra = recordsBytes({sample(5, 5, 0xF1), sample(6, 6, 0xF2)});
    oldBytes.insert(oldBytes.end(), extra.begin(), extra.end());
    writeRaw(path, oldBytes);

    KeyDefinitionTable table;
    table[55] = sample(5, 5, 0x01);
    ASSERT_TRUE(writeKdlFile(path, table).ok());
    EXPECT_EQ(readAll(path), table.serialise());

    KeyDefinitionTable loaded;
    readKdlFile(path, loaded);
    EXPECT_EQ(loaded[55], sample(5, 5, 0x01));
    EXPECT_EQ(loaded[66], initialDefinition(66));
}

TEST(KdlFile, SaveKeepsModeAndLeavesNoTemporaryFiles)
{
    TempFolder dir;
    const auto path = dir / "mode.kdl";
    writeRaw(path, Bytes(10, 0));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    KeyDefinitionTable table;
    ASSERT_TRUE(writeKdlFile(path, table).ok());
    struct stat st { };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(KdlFile, SavingThroughALinkReplacesTheFileItNames)
{
    TempFolder dir;
    const auto real = dir / "real.kdl";
    const auto link = dir / "link.kdl";
    writeRaw(real, Bytes(5, 0x11));
    fs::create_symlink(real, link);
    KeyDefinitionTable table;
    ASSERT_TRUE(writeKdlFile(link, table).ok());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readAll(real), table.serialise());
}

TEST(KdlFile, FailedSaveKeepsThePreviousFile)
{
    TempFolder dir;
    KeyDefinitionTable table;
    // A read-only file is not replaced.
    const auto ro = dir / "ro.kdl";
    writeRaw(ro, Bytes{1, 2, 3});
    ASSERT_EQ(::chmod(ro.c_str(), 0444), 0);
    const auto w = writeKdlFile(ro, table);
    EXPECT_EQ(w.error, FileError::ReadOnlyTarget);
    EXPECT_EQ(readAll(ro), (Bytes{1, 2, 3}));

    // A folder that does not exist, and a folder name as target.
    EXPECT_FALSE(writeKdlFile(dir / "no-such-folder" / "x.kdl", table).ok());
    EXPECT_EQ(writeKdlFile(dir.path(), table).error, FileError::OpenFailed);
    EXPECT_EQ(writeKdlFile("", table).error, FileError::EmptyPath);

    // A folder we may not write: no temporary file, the old file stays.
    const auto locked = dir / "locked";
    fs::create_directory(locked);
    const auto inLocked = locked / "keys.kdl";
    writeRaw(inLocked, Bytes{7, 7});
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    if (::geteuid() != 0) { // root may write any folder
        const auto w2 = writeKdlFile(inLocked, table);
        EXPECT_FALSE(w2.ok());
        EXPECT_EQ(readAll(inLocked), (Bytes{7, 7}));
    }
}

TEST(KdlFile, WriteFailingPartWayKeepsTheWholeOldFile)
{
    // The disk fills up while the new file is written (a file size limit
    // stands in for it, in a child process so nothing else is limited).
    TempFolder dir;
    const auto path = dir / "old.kdl";
    KeyDefinitionTable old;
    old[7] = sample(0, 7, 0x77);
    writeRaw(path, old.serialise());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            4000, 4000
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        KeyDefinitionTable table;
        const auto w = writeKdlFile(path, table);
        ::_exit(w.error == FileError::WriteFailed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readAll(path), old.serialise());
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1); // the temporary file is gone
}

TEST(KdlFile, SaveAsExtensionRule)
{
    EXPECT_EQ(withKdlExtension("keys"), "keys.kdl");
    EXPECT_EQ(withKdlExtension("keys.kdl"), "keys.kdl");
    EXPECT_EQ(withKdlExtension("KEYS.KDL"), "KEYS.KDL");
    EXPECT_EQ(withKdlExtension("/a/b/Keys.KdL"), "/a/b/Keys.KdL");
    EXPECT_EQ(withKdlExtension("keys.kd"), "keys.kd.kdl");
    EXPECT_EQ(withKdlExtension("kdl"), "kdl.kdl");
    EXPECT_EQ(withKdlExtension(""), ".kdl");
}

} // namespace
} // namespace vantor::test
