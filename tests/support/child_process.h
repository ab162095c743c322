// A program a test starts itself (Xvfb, sway, wev, a typing target), whose
// output on a pipe is read line by line, and which never outlives the test.
#pragma once

#include <csignal>
#include <cstddef>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vantor::test {

using Lines = std::vector<std::string>;

// Its standard output (or, with `outputFd`, that descriptor) is read; it gets
// `deathSignal` when the test process dies, and SIGTERM (then is waited for,
// SIGKILL after 5 s) in the destructor. With Group::Own it runs in a process
// group of its own, and the signals go to the whole group (what it started
// included, such as the bus daemon of dbus-run-session).
class Child {
public:
    enum class Group { Shared, Own };
    explicit Child(std::vector<std::string> argv, int outputFd = 1, int deathSignal = SIGTERM,
                   Group group = Group::Shared)
        : ownGroup_(group == Group::Own)
    {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            if (ownGroup_)
                ::setpgid(0, 0);
            ::prctl(PR_SET_PDEATHSIG, deathSignal); // never outlives a test that crashed
            ::dup2(out[1], outputFd);
            std::vector<char*> args;
            for (std::string& a : argv)
                args.push_back(a.data());
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        if (ownGroup_ && pid_ > 0)
            ::setpgid(pid_, pid_);
        ::close(out[1]);
        fd_ = out[0];
    }
    ~Child()
    {
        if (pid_ > 0) {
            const pid_t target = ownGroup_ ? -pid_ : pid_;
            ::kill(target, SIGTERM);
            // One that ignores SIGTERM for 5 s is killed: a test never waits for ever.
            int waited = 0;
            while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
                if (++waited == 100)
                    ::kill(target, SIGKILL);
                ::usleep(50 * 1000);
            }
        }
        if (fd_ >= 0)
            ::close(fd_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The next line; nothing when the child ended or said nothing for `ms`.
    std::optional<std::string> line(int ms = 5000)
    {
        for (;;) {
            const auto end = buffer_.find('\n');
            if (end != std::string::npos) {
                std::string l = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return l;
            }
            pollfd p{fd_, POLLIN, 0};
            char chunk[4096];
            if (fd_ < 0 || ::poll(&p, 1, ms) <= 0)
                return std::nullopt;
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n <= 0)
                return std::nullopt;
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }
    // The next `n` lines (fewer when they do not come).
    Lines lines(std::size_t n)
    {
        Lines got;
        for (std::optional<std::string> l; got.size() < n && (l = line());)
            got.push_back(*l);
        return got;
    }
    // Reads lines until one holds `text`; false when none came in time.
    bool waitFor(const std::string& text)
    {
        while (const auto l = line()) {
            if (l->find(text) != std::string::npos)
                return true;
        }
        return false;
    }

private:
    bool ownGroup_ = false;
    pid_t pid_ = -1;
    int fd_ = -1;
    std::string buffer_;
};

} // namespace vantor::test
