#include "iconeditor/ricon_file.h"

#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace vantor::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

using test::readAll;
using test::TempFolder;
using test::writeRaw;

// Icon k of a test file: 120 bytes, all k + 1 except the first = k.
IconBitmap icon(int k)
{
    IconBitmap b(120, static_cast<std::uint8_t>(k + 1));
    b[0] = static_cast<std::uint8_t>(k);
    return b;
}

Bytes fileOf(int count)
{
    Bytes out;
    for (int k = 0; k < count; ++k) {
        const auto b = icon(k);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

IconStore marked()
{
    IconStore store(64);
    for (auto& e : store)
        e = IconBitmap(120, 0xEE);
    return store;
}

TEST(RIconFile, FullFileLoadsAll64)
{
    IconStore store(64);
    const auto r = readRIconBytes(fileOf(64), store);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.iconsRead, 64);
    EXPECT_FALSE(r.shortLast);
    EXPECT_EQ(r.ignoredBytes, 0u);
    for (int k = 0; k < 64; ++k)
        EXPECT_EQ(store[static_cast<std::size_t>(k)], icon(k)) << k;
}

TEST(RIconFile, ExtraBlockAfter64IsIgnored)
{
    IconStore store = marked();
    const Bytes data = fileOf(65);
    ASSERT_EQ(data.size(), 7800u);
    const auto r = readRIconBytes(data, store);
    EXPECT_EQ(r.iconsRead, 64);
    EXPECT_EQ(r.ignoredBytes, 120u);
    EXPECT_EQ(store.size(), 64u);
    EXPECT_EQ(store[63], icon(63));
}

TEST(RIconFile, LongFileFromDiskKeepsOnly64Bitmaps)
{
    TempFolder dir;
    Bytes data = fileOf(64);
    data.insert(data.end(), 40000, 0x33);
    writeRaw(dir / "long.RIcon", data);
    IconStore store(64);
    const auto r = readRIconFile(dir / "long.RIcon", store);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.iconsRead, 64);
    EXPECT_EQ(r.ignoredBytes, 40000u);
    EXPECT_EQ(store[63], icon(63));
}

TEST(RIconFile, ShortFilesChangeOnlyWhatTheyHold)
{
    IconStore store = marked();
    auto r = readRIconBytes(fileOf(2), store);
    EXPECT_EQ(r.iconsRead, 2);
    EXPECT_EQ(r.changedIndexes, (std::vector<int>{0, 1}));
    EXPECT_EQ(store[0], icon(0));
    EXPECT_EQ(store[1], icon(1));
    for (std::size_t k = 2; k < 64; ++k)
        EXPECT_EQ(store[k], IconBitmap(120, 0xEE)) << k;

    IconStore untouched = marked();
    r = readRIconBytes(Bytes{}, untouched);
    EXPECT_EQ(r.iconsRead, 0);
    EXPECT_EQ(untouched, marked());
}

TEST(RIconFile, ShortFinalBlockIsStoredAsItIs)
{
    IconStore store = marked();
    Bytes data = fileOf(1);
    data.insert(data.end(), {0x01, 0x02, 0x03});
    const auto r = readRIconBytes(data, store);
    EXPECT_EQ(r.iconsRead, 2);
    EXPECT_TRUE(r.shortLast);
    EXPECT_EQ(store[1], (IconBitmap{0x01, 0x02, 0x03}));
    EXPECT_EQ(store[2], IconBitmap(120, 0xEE));
}

TEST(RIconFile, WriteThenReadRoundTrips)
{
    TempFolder dir;
    IconStore store(64);
    for (int k = 0; k < 64; ++k)
        store[static_cast<std::size_t>(k)] = icon(k);
    const auto path = dir / "icons.RIcon";
    const auto w = writeRIconFile(path, store);
    ASSERT_TRUE(w.ok()) << w.message;
    EXPECT_EQ(w.bytesWritten, 7680u);
    EXPECT_EQ(readAll(path), fileOf(64));
    IconStore loaded(64);
    const auto r = readRIconFile(path, loaded);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(loaded, store);
}

TEST(RIconFile, EmptyStoresWriteNothingAndGapsKeepLaterIconsInPlace)
{
    IconStore store(64);
    EXPECT_TRUE(riconBytes(store).empty());

    // Entries 0 and 2 read, 1 failed: entry 1 is written as it shows (all
    // lit), so icon 2 is icon 2 again after loading the file.
    store[0] = icon(0);
    store[2] = icon(2);
    const Bytes bytes = riconBytes(store);
    ASSERT_EQ(bytes.size(), 360u);
    Bytes expected = icon(0);
    expected.insert(expected.end(), 120, 0xFF);
    const auto i2 = icon(2);
    expected.insert(expected.end(), i2.begin(), i2.end());
    EXPECT_EQ(bytes, expected);
    IconStore loaded(64);
    readRIconBytes(bytes, loaded);
    EXPECT_EQ(loaded[2], icon(2));
    EXPECT_TRUE(loaded[3].empty());

    // A short last entry is written as it is.
    IconStore tail(64);
    tail[0] = IconBitmap{1, 2};
    EXPECT_EQ(riconBytes(tail), (Bytes{1, 2}));
}

TEST(RIconFile, SavingOverALongerFileLeavesNoTail)
{
    TempFolder dir;
    const auto path = dir / "old.RIcon";
    writeRaw(path, fileOf(64));
    IconStore store(64);
    store[0] = icon(9);
    ASSERT_TRUE(writeRIconFile(path, store).ok());
    EXPECT_EQ(readAll(path), icon(9));
}

TEST(RIconFile, ReadOnlyFileLoadsAndKeepsItsMode)
{
    TempFolder dir;
    const auto path = dir / "ro.RIcon";
    writeRaw(path, fileOf(3));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    IconStore store(64);
    const auto r = readRIconFile(path, store);
    EXPECT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.iconsRead, 3);
    struct stat st { };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    // And it is not overwritten by a save.
    EXPECT_EQ(writeRIconFile(path, store).error, FileError::ReadOnlyTarget);
    EXPECT_EQ(readAll(path), fileOf(3));
}

TEST(RIconFile, EmptyPathAndMissingFileChangeNothing)
{
    TempFolder dir;
    IconStore store = marked();
    EXPECT_EQ(readRIconFile("", store).error, FileError::EmptyPath);
    EXPECT_EQ(readRIconFile(dir / "missing.RIcon", store).error, FileError::NotFound);
    EXPECT_EQ(store, marked());
    // Any extension loads.
    writeRaw(dir / "icons.bin", fileOf(1));
    EXPECT_EQ(readRIconFile(dir / "icons.bin", store).iconsRead, 1);
}

TEST(RIconFile, SaveAsExtensionRule)
{
    EXPECT_EQ(withRIconExtension("icons"), "icons.RIcon");
    EXPECT_EQ(withRIconExtension("ICONS.RICON"), "ICONS.RICON");
    EXPECT_EQ(withRIconExtension("icons.ricon"), "icons.ricon");
    EXPECT_EQ(withRIconExtension("dir/x.RIcon"), "dir/x.RIcon");
    EXPECT_EQ(withRIconExtension("icons.kdl"), "icons.kdl.RIcon");
    EXPECT_EQ(withRIconExtension("RICON"), "RICON.RIcon");
}

} // namespace
} // namespace vantor::test
