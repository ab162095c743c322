// Arbitrary bytes from the line into the simulator's message parser, then the
// same bytes as a settings file through the profile reader and writer.
#include "platform/system/profile.h"
#include "tools/panelsim/panel_sim.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static vantor::panelsim::PanelSim sim;
    sim.feedForTesting(data, size);
    sim.clearReceived();

    static const std::string path = "/tmp/vantor-fuzz-" + std::to_string(getpid()) + ".ini";
    static const int cleanup = std::atexit([] { std::remove(path.c_str()); });
    (void)cleanup;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    const std::string key(reinterpret_cast<const char*>(data), size < 8 ? size : 8);
    vantor::getPrivateProfileString("Setup", "Keyboard", "", path);
    vantor::getPrivateProfileString(key, key, "x", path, 20);
    vantor::writePrivateProfileString("Ports", "COM1", std::string(" 1"), path);
    if (vantor::getPrivateProfileString("Ports", "COM1", "", path) != "1")
        __builtin_trap(); // a written key must read back
    return 0;
}
