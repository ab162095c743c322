// Sends what is queued on a Wayland connection. A full socket (the compositor
// has not read yet, EAGAIN) is no loss: the connection is polled until it
// takes more. Only an error of the connection itself, or a socket that stays
// full for `patience`, counts as lost. Flushing after every request keeps the
// client's own buffer from filling, which would end the connection.
#pragma once

#include <wayland-client.h>

#include <cerrno>
#include <chrono>
#include <poll.h>

namespace vantor::keyboard {

inline bool flushWayland(wl_display* display, std::chrono::milliseconds patience = std::chrono::seconds(5))
{
    const auto until = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (wl_display_flush(display) >= 0)
            return true;
        if (errno != EAGAIN)
            return false;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{wl_display_get_fd(display), POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)
            return false;
    }
}

} // namespace vantor::keyboard
