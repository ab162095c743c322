// The settings file, the tick and the debugger output.
#include "platform/system/debug_output.h"
#include "platform/system/profile.h"
#include "platform/system/tick.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vantor;

namespace {

struct TempFile {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("vantor-ini-" + std::to_string(getpid()));
    std::string path = (dir / "Vantor.ini").string();
    TempFile()
    {
        std::filesystem::create_directories(dir);
        std::filesystem::remove(path);
    }
    ~TempFile()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string text() const
    {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void write(const std::string& t) const { std::ofstream(path) << t; }
};

} // namespace

TEST(ProfileFile, MissingFileSectionOrKeyGivesTheDefault)
{
    TempFile f;
    EXPECT_EQ(getPrivateProfileString("Setup", "Keyboard", "", f.path), "");
    EXPECT_EQ(getPrivateProfileString("Setup", "Keyboard", "dflt", f.path), "dflt");
    f.write("[Setup]\nOther=1\n");
    EXPECT_EQ(getPrivateProfileString("Setup", "Keyboard", "x", f.path), "x");
    EXPECT_EQ(getPrivateProfileString("Emulation", "Other", "y", f.path), "y");
}

TEST(ProfileFile, WriteCreatesFileAndReadsBackCaseBlind)
{
    TempFile f;
    std::filesystem::remove_all(f.dir);
    ASSERT_TRUE(writePrivateProfileString("Setup", "Keyboard", " 1", f.path));
    EXPECT_EQ(f.text(), "[Setup]\nKeyboard= 1\n");
    EXPECT_EQ(getPrivateProfileString("setup", "KEYBOARD", "", f.path), "1") << "blanks around the value go";
    ASSERT_TRUE(writePrivateProfileString("Emulation", "Baud", " 11", f.path));
    ASSERT_TRUE(writePrivateProfileString("SETUP", "keyboard", " 0", f.path));
    EXPECT_EQ(f.text(), "[Setup]\nkeyboard= 0\n[Emulation]\nBaud= 11\n");
    EXPECT_EQ(getPrivateProfileString("Emulation", "Baud", "", f.path), "11");
}

TEST(ProfileFile, KeepsOtherLinesAddsKeysAtTheEndOfTheirSectionAndRemoves)
{
    TempFile f;
    f.write("; settings\r\n[Setup]\r\nKeyboard= 1\r\n\r\n[Ports]\r\nCOM1 = \"/dev/ttyUSB0\"\r\n");
    EXPECT_EQ(getPrivateProfileString("Ports", "com1", "", f.path), "/dev/ttyUSB0") << "quotes removed";
    ASSERT_TRUE(writePrivateProfileString("Setup", "Extra", "abc", f.path));
    EXPECT_EQ(f.text(), "; settings\n[Setup]\nKeyboard= 1\nExtra=abc\n\n[Ports]\nCOM1 = \"/dev/ttyUSB0\"\n");
    ASSERT_TRUE(writePrivateProfileString("Setup", "Keyboard", std::nullopt, f.path));
    EXPECT_EQ(getPrivateProfileString("Setup", "Keyboard", "gone", f.path), "gone");
    ASSERT_TRUE(deletePrivateProfileSection("ports", f.path));
    EXPECT_EQ(f.text(), "; settings\n[Setup]\nExtra=abc\n\n");
}

TEST(ProfileFile, ValueIsCutToTheBuffer)
{
    TempFile f;
    ASSERT_TRUE(writePrivateProfileString("S", "K", std::string(200, 'x'), f.path));
    EXPECT_EQ(getPrivateProfileString("S", "K", "", f.path).size(), 149u);
    EXPECT_EQ(getPrivateProfileString("S", "K", "", f.path, 10), "xxxxxxxxx");
}

TEST(ProfileFile, AWriteLeavesNoTemporaryFilesAndKeepsTheMode)
{
    TempFile f;
    f.write("[A]\nb=1\n");
    std::filesystem::permissions(f.path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_TRUE(writePrivateProfileString("A", "b", "2", f.path));
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(f.dir)) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
    EXPECT_EQ(std::filesystem::status(f.path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(SettingsLocation, OverrideThenProgramFolder)
{
    setenv("VANTOR_SETTINGS_FILE", "/tmp/somewhere/V.ini", 1);
    EXPECT_EQ(settingsFilePath(), "/tmp/somewhere/V.ini");
    unsetenv("VANTOR_SETTINGS_FILE");
    // The test's own folder (the build's bin) is writable.
    EXPECT_EQ(settingsFilePath(), programFolder() + "/Vantor.ini");
}

TEST(Tick, ElapsedIsRightAcrossTheWrap)
{
    EXPECT_EQ(elapsedMs(0xFFFFFF00u, 0x00000010u), 0x110u);
    EXPECT_EQ(elapsedMs(5u, 5u), 0u);
    setTickOffsetForTesting(0xFFFFFFFFu - tickCount() - 20); // 20 ms before the wrap
    const std::uint32_t before = tickCount();
    sleepMs(60);
    const std::uint32_t after = tickCount();
    setTickOffsetForTesting(0);
    EXPECT_LT(after, before) << "the counter wrapped";
    EXPECT_GE(elapsedMs(before, after), 60u);
    EXPECT_LT(elapsedMs(before, after), 60000u);
}

TEST(DebugOutput, SinkSeesEveryLineWhetherEnabledOrNot)
{
    std::vector<std::string> got;
    setDebugOutputSink([&](const std::string& s) { got.push_back(s); });
    unsetenv("VANTOR_DEBUG_OUTPUT");
    outputDebugString("F0 15 2C 7E ");
    setDebugOutputSink({});
    outputDebugString("not seen");
    EXPECT_EQ(got, std::vector<std::string>{"F0 15 2C 7E "});
    setenv("VANTOR_DEBUG_OUTPUT", "1", 1);
    EXPECT_TRUE(debugOutputEnabled());
    setenv("VANTOR_DEBUG_OUTPUT", "0", 1);
    EXPECT_FALSE(debugOutputEnabled());
    unsetenv("VANTOR_DEBUG_OUTPUT");
}
