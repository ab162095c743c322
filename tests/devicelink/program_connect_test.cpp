// The program itself against simulators: COM1..COM4 silent, COM5 a panel.
// `vantor --screenshot FILE` must probe COM1..COM5 in order, load everything
// from COM5 and write the screenshot.
#include "tests/devicelink/test_support.h"

#include "platform/system/tick.h"

#include <sys/wait.h>
#include <unistd.h>

#include <mutex>

using namespace vantor;
using vantor::panelsim::Fault;
using vantor::panelsim::PanelSim;
using vantor::test::PortEnvironment;

namespace {

struct ArrivalLog {
    std::mutex mutex;
    std::vector<std::pair<int, std::uint32_t>> firstProbe; // com, tick
    void note(int com)
    {
        std::lock_guard lock(mutex);
        for (const auto& e : firstProbe)
            if (e.first == com)
                return;
        firstProbe.emplace_back(com, tickCount());
    }
};

} // namespace

TEST(Program, ProbesComOneToFiveLoadsThePanelAndWritesTheScreenshot)
{
    PortEnvironment env;
    ArrivalLog log;
    std::vector<PanelSim*> sims;
    for (int com = 1; com <= 5; ++com) {
        auto opt = PortEnvironment::fastOptions();
        if (com < 5)
            opt.fault = Fault::Silent;
        opt.log = [&log, com](const std::string& line) {
            if (line.rfind("in:  F0 15 2C 7F 00 00 ", 0) == 0)
                log.note(com);
        };
        sims.push_back(&env.sim(com, opt));
    }
    const std::string shot = (env.dir() / "out.png").string();
    setenv("VANTOR_MESSAGES", "stderr", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl(VANTOR_PROGRAM, VANTOR_PROGRAM, "--screenshot", shot.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(std::filesystem::exists(shot));
    EXPECT_GT(std::filesystem::file_size(shot), 1000u);

    const std::vector<std::uint8_t> probe{0xF0, 0x15, 0x2C, 0x7F, 0x00, 0x00};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(sims[i]->received(), std::vector<std::vector<std::uint8_t>>{probe}) << "COM" << i + 1;
    // COM5: the probe, then every icon and definition request.
    const auto got = sims[4]->received();
    ASSERT_GE(got.size(), 291u);
    EXPECT_EQ(got[0], probe);
    int requests = 0;
    for (const auto& m : got)
        requests += m[3] == 0x7F;
    EXPECT_EQ(requests, 1 + 40 + 64 + 96 + 90);
    ASSERT_EQ(log.firstProbe.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(log.firstProbe[i].first, i + 1);
        if (i > 0) {
            EXPECT_GE(elapsedMs(log.firstProbe[i - 1].second, log.firstProbe[i].second), 150u)
                << "each silent port is waited on before the next";
        }
    }
}
