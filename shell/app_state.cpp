#include "shell/app_state.h"

#include <algorithm>
#include <cctype>

namespace vantor {

ShellFlags& shellFlags()
{
    static ShellFlags flags;
    return flags;
}

void resetShellFlags()
{
    shellFlags() = ShellFlags{};
}

bool commandLineHas(const std::string& word)
{
    auto upper = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
        return s;
    };
    return upper(shellFlags().commandLine).find(upper(word)) != std::string::npos;
}

} // namespace vantor
