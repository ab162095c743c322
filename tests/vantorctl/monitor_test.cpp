// vantorctl monitor as an installer runs it: against the panel simulator
// pressing buttons, and in emulation mode against a 9-pin deck on a
// pseudo-terminal that ACKs good commands and NAKs a wrong checksum. Every
// JSON line is compared whole (the time aside).
#include "tests/support/child_process.h"
#include "tests/support/temp_files.h"
#include "tools/panelsim/panel_sim.h"

#include "definitions/message_text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <regex>
#include <thread>

namespace vantor::test {
namespace {

// A monitor line without its time, and the time it carried.
std::string untimed(const std::string& line, double* t = nullptr)
{
    static const std::regex time(R"(^\{"t":([0-9]+\.[0-9]{3}),)");
    std::smatch m;
    if (!std::regex_search(line, m, time))
        return "no time: " + line;
    if (t)
        *t = std::stod(m[1]);
    return "{" + m.suffix().str();
}

Child monitor(const std::string& device, const std::string& args)
{
    return Child(
        {"/bin/sh", "-c", std::string("exec '") + VANTORCTL + "' --port '" + device + "' monitor " + args + " 2>&1"});
}

std::unique_ptr<panelsim::PanelSim> startSim(const TempFolder& tmp)
{
    panelsim::SimOptions o;
    o.fast = true;
    o.linkPath = (tmp / "panel-link").string();
    auto sim = std::make_unique<panelsim::PanelSim>(o);
    std::string error;
    EXPECT_TRUE(sim->start(&error)) << error;
    return sim;
}

TEST(VantorctlMonitor, ButtonMessagesOfThePanelNamedFieldByField)
{
    TempFolder tmp("monitor");
    ::setenv("XDG_CACHE_HOME", (tmp / "cache").c_str(), 1);
    auto sim = startSim(tmp);
    // Bank 2 Button 4 jogs forward at play speed, with the Sony checksum the
    // panel adds; Shift+F2 sends Sync Play when released.
    KeyDefinition b24 = sim->definition(13);
    b24.setOnMessage(hexTextToBytes("21 11 40"));
    b24.setChecksumKind(ChecksumKind::Sony);
    sim->setDefinition(13, panelCopy(b24));
    KeyDefinition shiftF2 = sim->definition(85);
    shiftF2.setOffMessage(hexTextToBytes("20 34 54"));
    sim->setDefinition(85, shiftF2);

    Child ctl = monitor((tmp / "panel-link").string(), "--json");
    ASSERT_TRUE(ctl.waitFor("vantorctl: monitoring "));
    sim->clearReceived();
    sim->press(2, 4);
    EXPECT_EQ(untimed(ctl.line().value_or("")),
              R"({"dir":"from-panel","hex":"21 11 40 72","kind":"sony","name":"Jog Fwd","checksum":"ok",)"
              R"j("control":"Bank 2 Button 4 On","data":"speed 64 (1.00x play)"})j");
    sim->release(9, 6);
    EXPECT_EQ(untimed(ctl.line().value_or("")),
              R"({"dir":"from-panel","hex":"20 34 54","kind":"sony","name":"Sync Play","checksum":"ok",)"
              R"("control":"Shift+F2 Off"})");
    // A wrong checksum, a cue with its timecode and a VDCP command in one
    // burst, then noise that ends after 5 ms without a byte.
    sim->sendRaw(hexTextToBytes("20 01 20 24 31 04 03 02 01 5F 02 02 10 01 EF"));
    EXPECT_EQ(untimed(ctl.line().value_or("")),
              R"({"dir":"from-panel","hex":"20 01 20","kind":"sony","name":"Play","checksum":"wrong"})");
    EXPECT_EQ(untimed(ctl.line().value_or("")),
              R"({"dir":"from-panel","hex":"24 31 04 03 02 01 5F","kind":"sony","name":"Cue Up With Data",)"
              R"("checksum":"ok","data":"01:02:03:04"})");
    EXPECT_EQ(untimed(ctl.line().value_or("")),
              R"({"dir":"from-panel","hex":"02 02 10 01 EF","kind":"vdcp","name":"Play","checksum":"ok"})");
    sim->sendRaw(hexTextToBytes("F5 A0"));
    EXPECT_EQ(untimed(ctl.line().value_or("")),
              R"({"dir":"from-panel","hex":"F5 A0","kind":"bytes","checksum":"none"})");
    // The monitor itself never wrote to the line.
    EXPECT_TRUE(sim->receivedRaw().empty());
}

TEST(VantorctlMonitor, KeyboardPairsAndAnEmulatedDeckThatAcksAndNaks)
{
    TempFolder tmp("monitor");
    auto sim = startSim(tmp);
    {
        Child ctl = monitor((tmp / "panel-link").string(), "--no-read --keyboard");
        ASSERT_TRUE(ctl.waitFor("vantorctl: monitoring "));
        sim->sendRaw({0x04, 0x63, 0x01, 0x61, 0x00, 0xE9});
        const std::string line = ctl.line().value_or("");
        EXPECT_NE(line.find("  from panel      04 63 01 61 00 E9  keys Ctrl+C, Shift+A, \xC3\xA9"), std::string::npos)
            << line;
    }

    // The deck: answers each whole 9-pin command with ACK, or NAK "checksum error".
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string slave = ::ptsname(master);
    std::atomic<bool> stop{false};
    std::thread deck([&] {
        std::vector<std::uint8_t> got;
        while (!stop) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
                continue;
            std::uint8_t buf[64];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                continue;
            got.insert(got.end(), buf, buf + n);
            while (got.size() >= 3u + (got[0] & 0x0F)) {
                const std::size_t len = 3u + (got[0] & 0x0F);
                const std::vector<std::uint8_t> cmd(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(len));
                got.erase(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(len));
                const bool ok = sonyChecksum(std::span(cmd).first(len - 1)) == cmd.back();
                const std::vector<std::uint8_t> answer =
                    ok ? hexTextToBytes("10 01 11") : hexTextToBytes("11 12 04 27");
                EXPECT_EQ(::write(master, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
            }
        }
    });
    {
        Child ctl = monitor(slave, "--emulation 9600 odd --send '20 01 21' --send '20 01 20' --json");
        ASSERT_TRUE(ctl.waitFor("vantorctl: monitoring "));
        const char* expected[] = {
            R"({"dir":"to-equipment","hex":"20 01 21","kind":"sony","name":"Play","checksum":"ok"})",
            R"({"dir":"from-equipment","hex":"10 01 11","kind":"sony","name":"ACK","checksum":"ok"})",
            R"({"dir":"to-equipment","hex":"20 01 20","kind":"sony","name":"Play","checksum":"wrong"})",
            R"({"dir":"from-equipment","hex":"11 12 04 27","kind":"sony","name":"NAK","checksum":"ok",)"
            R"("data":"Checksum Error"})",
        };
        double last = 0;
        for (const char* e : expected) {
            double t = 0;
            EXPECT_EQ(untimed(ctl.line().value_or(""), &t), e);
            EXPECT_GE(t, last);
            last = t;
        }
    }
    stop = true;
    deck.join();
    ::close(master);
}

} // namespace
} // namespace vantor::test
