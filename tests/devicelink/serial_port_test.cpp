// The serial port over pseudo-terminals: opening and closing by COM number,
// the line settings, receiving, sending, exclusive use and hang-up.
#include "devicelink/serial_port.h"
#include "tests/devicelink/test_support.h"

#include "platform/system/profile.h"
#include "platform/system/tick.h"

#include "definitions/key_definition.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>

#include <atomic>
#include <thread>

#include <fstream>

using namespace vantor;
using vantor::test::PortEnvironment;

namespace {

struct Recorder : LinkHost {
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<std::string> lines;
    std::vector<std::string> lost;
    int pollStops = 0;
    void message(const std::string& t, const std::string& c) override { messages.emplace_back(t, c); }
    void debugPrint(const std::string& l) override { lines.push_back(l); }
    void stopPollWorker() override { ++pollStops; }
    void portLost(const std::string& p) override { lost.push_back(p); }
};

// Waits (bounded) until the port holds n bytes.
Bytes receiveAtLeast(SerialPort& port, std::size_t n)
{
    Bytes got;
    const auto start = tickCount();
    while (got.size() < n && elapsedMs(start) < 3000) {
        const Bytes more = port.receiveAll();
        got.insert(got.end(), more.begin(), more.end());
        if (got.size() < n)
            sleepMs(2);
    }
    return got;
}

} // namespace

TEST(SerialPortOpen, InvalidNumberClosesTheOpenPortWithoutAMessage)
{
    PortEnvironment env;
    env.sim(2);
    Recorder rec;
    SerialPort port;
    port.setHost(&rec);
    port.openPort(2, false);
    ASSERT_TRUE(port.isOpen());
    port.panelPort = 2;
    port.openPort(33, false);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.panelPort, 0);
    EXPECT_TRUE(rec.messages.empty());
    EXPECT_EQ(rec.pollStops, 1); // closing stops the poll worker
    port.openPort(0, false);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(rec.messages.empty());
}

TEST(SerialPortOpen, MissingPortQuietShowsNothingLoudShowsTheMessage)
{
    PortEnvironment env;
    env.map(10, (env.dir() / "no-such-tty").string());
    Recorder rec;
    SerialPort port;
    port.setHost(&rec);
    port.openPort(10, true);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(rec.messages.empty());
    EXPECT_EQ(port.lastOpenFailure().problem, OpenProblem::NoDevice);

    port.openPort(10, false);
    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].first, "Comm Port could not be opened");
    EXPECT_EQ(rec.messages[0].second, "Halvern Devices");

    // A COM number that stands for no device at all behaves the same.
    rec.messages.clear();
    port.openPort(11, false);
    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(port.lastOpenFailure().problem, OpenProblem::NoDevice);
}

TEST(SerialPortOpen, PlainFileIsNotAPort)
{
    PortEnvironment env;
    const auto file = env.dir() / "disk-file";
    std::ofstream(file) << "data";
    env.map(4, file.string());
    SerialPort port;
    port.openPort(4, true);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.lastOpenFailure().problem, OpenProblem::NotADevice);
}

TEST(SerialPortOpen, SecondOpenOfTheSameDeviceIsBusyAndSaysSo)
{
    PortEnvironment env;
    env.sim(1);
    SerialPort first, second;
    Recorder rec;
    second.setHost(&rec);
    first.openPort(1, true);
    ASSERT_TRUE(first.isOpen());
    second.openPort(1, false);
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(second.lastOpenFailure().problem, OpenProblem::Busy);
    ASSERT_EQ(rec.messages.size(), 2u);
    EXPECT_EQ(rec.messages[0].first, "Comm Port could not be opened");
    EXPECT_NE(rec.messages[1].first.find("in use by another program"), std::string::npos);
    EXPECT_NE(rec.messages[1].first.find("COM1"), std::string::npos);
    // Once the first lets go, the port opens.
    first.closePort();
    second.openPort(1, true);
    EXPECT_TRUE(second.isOpen());
}

TEST(SerialPortOpen, DebugTraceNamesPortDeviceAndResult)
{
    PortEnvironment env;
    auto& sim = env.sim(3);
    Recorder rec;
    SerialPort port;
    port.setHost(&rec);
    port.setOptions(vantor::test::debugOptions());
    port.openPort(3, true);
    ASSERT_EQ(rec.lines.size(), 1u);
    const std::string link = (env.dir() / "com3").string();
    EXPECT_EQ(rec.lines[0], "checking COM3 (" + link + ")  Error: 0");
    (void)sim;
    port.openPort(7, true);
    ASSERT_EQ(rec.lines.size(), 2u);
    EXPECT_EQ(rec.lines[1], "checking COM7 (no device)  Error: 2");
    port.setOptions(LinkOptions{});
    port.openPort(3, true);
    EXPECT_EQ(rec.lines.size(), 2u);
}

TEST(SerialPortOpen, FailureTextsNameDeviceGroupAndFix)
{
    OpenFailure perm{5, "/dev/ttyUSB0", OpenProblem::Permission, EACCES, "dialout"};
    const std::string text = describeOpenFailure(perm);
    EXPECT_NE(text.find("COM5 (/dev/ttyUSB0)"), std::string::npos);
    EXPECT_NE(text.find("\"dialout\""), std::string::npos);
    EXPECT_NE(text.find("usermod -aG dialout"), std::string::npos);
    EXPECT_NE(text.find("log in again"), std::string::npos);
    OpenFailure busy{2, "/dev/ttyS1", OpenProblem::Busy, EBUSY, ""};
    EXPECT_EQ(describeOpenFailure(busy),
              "COM2 (/dev/ttyS1) is in use by another program. Close that program, then rescan.");
}

TEST(SerialPortLine, FactorySettingsOnAPty)
{
    PortEnvironment env;
    env.sim(1);
    SerialPort port;
    port.openPort(1, true);
    ASSERT_TRUE(port.isOpen());
    termios t{};
    ASSERT_EQ(tcgetattr(port.fileDescriptor(), &t), 0);
    // Raw mode, parity checking, no flow control: the pty keeps these.
    EXPECT_TRUE(t.c_iflag & INPCK);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP | PARMRK));
    EXPECT_FALSE(t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_FALSE(t.c_cflag & CSTOPB) << "never two stop bits";
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    const auto& steps = port.lastLineSteps();
    EXPECT_TRUE(steps[2]) << "parity checking";
    EXPECT_FALSE(steps[4]) << "1.5 stop bits cannot be set";
    // A pty ignores parity (step 4) and has no modem lines (steps 8, 9): those
    // steps are refused and the port stays usable.
    EXPECT_FALSE(steps[3]);
    EXPECT_FALSE(steps[8]);
    EXPECT_TRUE(port.isOpen());
}

TEST(SerialPortLine, EmulationChoiceAndBackToFactoryKeepThePortOpen)
{
    PortEnvironment env;
    auto& sim = env.sim(1);
    SerialPort port;
    port.openPort(1, true);
    ASSERT_TRUE(port.isOpen());
    const auto choice = baudChoiceForOption(130); // "9.6 Even"
    ASSERT_TRUE(choice);
    EXPECT_STREQ(choice->caption, "9.6 Even");
    EXPECT_EQ(choice->baud, 9600);
    EXPECT_EQ(choice->parity, ParityEven);
    port.applyLineSettings(choice->baud, ParityNone, false);
    termios t{};
    tcgetattr(port.fileDescriptor(), &t);
    EXPECT_FALSE(t.c_iflag & INPCK);
    port.applyLineSettings(factoryLineSettings);
    tcgetattr(port.fileDescriptor(), &t);
    EXPECT_TRUE(t.c_iflag & INPCK);
    EXPECT_TRUE(port.isOpen());
    // The line still carries bytes both ways.
    sim.sendRaw({0x01, 0x02});
    EXPECT_EQ(receiveAtLeast(port, 2), (Bytes{0x01, 0x02}));
}

TEST(SerialPortLine, NoOptionMarkedRefusesBaudZeroButRunsTheRest)
{
    PortEnvironment env;
    env.sim(1);
    SerialPort port;
    port.openPort(1, true);
    port.applyLineSettings(0, ParityNone, false);
    EXPECT_FALSE(port.lastLineSteps()[0]);
    EXPECT_TRUE(port.lastLineSteps()[1]);
    EXPECT_TRUE(port.lastLineSteps()[2]);
    termios t{};
    tcgetattr(port.fileDescriptor(), &t);
    EXPECT_NE(cfgetospeed(&t), static_cast<speed_t>(B0)) << "baud 0 must not hang the line up";
    EXPECT_FALSE(t.c_iflag & INPCK);
    EXPECT_TRUE(port.isOpen());
    // An unknown parity code is refused as well.
    port.applyLineSettings(38400, 7, true);
    EXPECT_FALSE(port.lastLineSteps()[3]);
    // On a closed port nothing happens.
    port.closePort();
    port.applyLineSettings(factoryLineSettings);
    EXPECT_FALSE(port.isOpen());
}

TEST(SerialPortData, BytesWaitingReceiveAllAndSend)
{
    PortEnvironment env;
    auto& sim = env.sim(1);
    SerialPort port;
    // A line tap sees each read and each write as it went over the line.
    std::vector<std::pair<TapDirection, Bytes>> tapped;
    port.setLineTap([&](TapDirection d, const Bytes& b, std::int64_t) { tapped.emplace_back(d, b); });
    port.openPort(1, true);
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_TRUE(port.receiveAll().empty());
    sim.sendRaw({0xF0, 0x15, 0x2C, 0x11, 0x22});
    const auto start = tickCount();
    while (port.bytesWaiting() < 5 && elapsedMs(start) < 3000)
        sleepMs(2);
    EXPECT_EQ(port.bytesWaiting(), 5);
    EXPECT_EQ(port.receiveAll(), (Bytes{0xF0, 0x15, 0x2C, 0x11, 0x22}));
    EXPECT_EQ(port.bytesWaiting(), 0);

    // What we send arrives byte for byte (the simulator logs whole messages).
    port.sendBytes({0xF0, 0x15, 0x2C, 0x04, 0x00, 0x05, 0x09});
    const auto t0 = tickCount();
    while (sim.received().empty() && elapsedMs(t0) < 3000)
        sleepMs(2);
    ASSERT_EQ(sim.received().size(), 1u);
    EXPECT_EQ(sim.received()[0], (Bytes{0xF0, 0x15, 0x2C, 0x04, 0x00, 0x05, 0x09}));
    const std::vector<std::pair<TapDirection, Bytes>> seen{
        {TapDirection::Received, {0xF0, 0x15, 0x2C, 0x11, 0x22}},
        {TapDirection::Sent, {0xF0, 0x15, 0x2C, 0x04, 0x00, 0x05, 0x09}}};
    EXPECT_EQ(tapped, seen);
    port.setLineTap({});
    port.sendBytes({0x20, 0x01, 0x21});
    EXPECT_EQ(tapped, seen);

    // Closed: nothing to receive, sending does nothing.
    port.closePort();
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_TRUE(port.receiveAll().empty());
    port.sendBytes({0x01});
}

TEST(SerialPortData, RecordsArriveWholeWhenTheReaderIsLate)
{
    PortEnvironment env;
    auto& sim = env.sim(1);
    SerialPort port;
    port.openPort(1, true);
    ASSERT_TRUE(port.isOpen());
    // Far more definition records than the pty holds, each one different.
    std::vector<Bytes> records;
    for (int k = 0; k < 3000; ++k) {
        KeyDefinition rec = initialDefinition(k % kDefinitionCount);
        const std::uint8_t message[2] = {static_cast<std::uint8_t>(k & 0x7F), static_cast<std::uint8_t>(k >> 7)};
        rec.setOnMessage(message);
        records.emplace_back(rec.bytes.begin(), rec.bytes.end());
    }
    sim.holdInput(true);
    std::atomic<bool> done{false};
    std::vector<bool> results;
    std::thread writer([&] {
        for (const Bytes& r : records)
            results.push_back(port.sendBytes(r));
        done = true;
    });
    // The reader starts only once the line is full and the writer must wait.
    bool full = false;
    while (!done && !full) {
        pollfd p{port.fileDescriptor(), POLLOUT, 0};
        full = ::poll(&p, 1, 10) == 0;
    }
    sim.holdInput(false);
    writer.join();
    EXPECT_TRUE(full) << "the records did not fill the line";
    EXPECT_EQ(std::count(results.begin(), results.end(), false), 0);
    EXPECT_EQ(port.lastSendError(), 0);
    const auto start = tickCount();
    while (sim.received().size() < records.size() && elapsedMs(start) < 5000)
        sleepMs(5);
    EXPECT_EQ(sim.received(), records) << "every record whole, in order";
}

TEST(SerialPortData, ReceiveErrorYieldsNothingOnceThenTheBytes)
{
    PortEnvironment env;
    auto& sim = env.sim(1);
    SerialPort port;
    ReceiveErrorCounts counts;
    port.setErrorCounterSource([&](int) { return std::optional<ReceiveErrorCounts>(counts); });
    port.openPort(1, true);
    ASSERT_TRUE(port.isOpen());
    sim.sendRaw({0x41, 0x42, 0x43});
    const auto start = tickCount();
    while (port.bytesWaiting() < 3 && elapsedMs(start) < 3000)
        sleepMs(2);
    counts.frame = 1; // a framing error was counted by the driver
    EXPECT_TRUE(port.receiveAll().empty());
    EXPECT_EQ(port.receiveAll(), (Bytes{0x41, 0x42, 0x43}));
    counts.overrun = 4;
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(port.bytesWaiting(), 0); // nothing queued any more
}

TEST(SerialPortData, HangUpClosesThePortAndClearsPanelPort)
{
    PortEnvironment env;
    auto& sim = env.sim(1);
    Recorder rec;
    SerialPort port;
    port.setHost(&rec);
    port.openPort(1, true);
    ASSERT_TRUE(port.isOpen());
    port.panelPort = 1;
    sim.hangUp();
    const auto start = tickCount();
    while (port.isOpen() && elapsedMs(start) < 3000) {
        port.receiveAll();
        sleepMs(5);
    }
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.panelPort, 0);
    ASSERT_EQ(rec.lost.size(), 1u);
    EXPECT_EQ(rec.pollStops, 1);
    EXPECT_TRUE(rec.messages.empty());
    // Later operations on the closed port are harmless.
    port.sendBytes({0x01, 0x02});
    EXPECT_TRUE(port.receiveAll().empty());
}

TEST(ComPortMap, EnvironmentThenSettingsThenNothing)
{
    PortEnvironment env;
    const std::string ini = settingsFilePath();
    ASSERT_TRUE(writePrivateProfileString("Ports", "COM2", "/dev/ttyUSB7", ini));
    ASSERT_TRUE(writePrivateProfileString("Ports", "com3", "/dev/ttyACM0", ini));
    env.map(3, "/dev/pts/99");
    const auto map = resolveComPorts(ini);
    EXPECT_EQ(map[2].path, "/dev/ttyUSB7");
    EXPECT_EQ(map[2].source, "Vantor.ini [Ports] COM2");
    EXPECT_EQ(map[3].path, "/dev/pts/99");
    EXPECT_EQ(map[3].source, "VANTOR_COM3");
    EXPECT_EQ(map[1].path, "");
    // An empty variable means "no COMn", whatever the settings say.
    env.map(2, "");
    EXPECT_EQ(resolveComPorts(ini)[2].path, "");
    EXPECT_EQ(comDevicePath(3), "/dev/pts/99");
    EXPECT_EQ(comDevicePath(0), "");
    EXPECT_EQ(comDevicePath(33), "");
}

TEST(ComPortMap, RealDevicesInOrderAndFillingTheFreeNumbers)
{
    PortEnvironment env;
    namespace fs = std::filesystem;
    const std::string root = (env.dir() / "machine").string();
    auto tty = [&](const std::string& name, const char* type) {
        fs::create_directories(root + "/sys/class/tty/" + name);
        if (type)
            std::ofstream(root + "/sys/class/tty/" + name + "/type") << type << "\n";
        fs::create_directories(root + "/dev");
        std::ofstream(root + "/dev/" + name) << "";
    };
    tty("ttyS1", "0"); // no hardware behind it
    tty("ttyS0", "4"); // a 16550A
    tty("ttyUSB10", nullptr);
    tty("ttyUSB2", nullptr);
    tty("ttyUSB0", nullptr);
    tty("ttyACM0", nullptr);
    tty("tty5", nullptr); // a console, never a serial port
    fs::create_directories(root + "/dev/serial/by-id");
    fs::create_symlink("../../ttyUSB2", root + "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
    const auto devices = discoverSerialDevices(root);
    EXPECT_EQ(devices,
              (std::vector<std::string>{root + "/dev/ttyS0", root + "/dev/ttyUSB0",
                                        root + "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0", root + "/dev/ttyUSB10",
                                        root + "/dev/ttyACM0"}));

    // COM1 names the FTDI adapter by its plain name: it is not counted again,
    // and the other devices take COM2, COM3 ... around the mapped COM4.
    unsetenv("VANTOR_COM_AUTO");
    env.map(1, root + "/dev/ttyUSB2");
    env.map(4, "/dev/pts/42");
    const auto map = resolveComPorts("", devices);
    EXPECT_EQ(map[1].path, root + "/dev/ttyUSB2");
    EXPECT_EQ(map[2].path, root + "/dev/ttyS0");
    EXPECT_EQ(map[2].source, "serial device");
    EXPECT_EQ(map[3].path, root + "/dev/ttyUSB0");
    EXPECT_EQ(map[4].path, "/dev/pts/42");
    EXPECT_EQ(map[5].path, root + "/dev/ttyUSB10");
    EXPECT_EQ(map[6].path, root + "/dev/ttyACM0");
    EXPECT_EQ(map[7].path, "");
    setenv("VANTOR_COM_AUTO", "0", 1);
    EXPECT_EQ(resolveComPorts("", devices)[2].path, "");
}
