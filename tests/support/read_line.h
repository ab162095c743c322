// The next line of a child program's output on a pipe, for the tests that start
// real programs (Xvfb, sway and wev, a fake portal) and read what they print.
#pragma once

#include <cstddef>
#include <optional>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace vantor::test {

// Takes the next whole line out of `buffer`, reading more from `fd` as it comes;
// nothing when the program ended or said nothing for `ms`.
inline std::optional<std::string> readLine(int fd, std::string& buffer, int ms = 5000)
{
    for (;;) {
        const auto end = buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            return line;
        }
        pollfd p{fd, POLLIN, 0};
        char chunk[4096];
        if (fd < 0 || ::poll(&p, 1, ms) <= 0)
            return std::nullopt;
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            return std::nullopt;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

} // namespace vantor::test
