// An X server a test starts itself: Xvfb on a display number it finds free
// (told through -displayfd), ended with the test.
#pragma once

#include "tests/support/child_process.h"

#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace vantor::test {

class Xvfb {
public:
    // `extra`: further server options (e.g. {"-extension", "XTEST"}).
    explicit Xvfb(std::vector<std::string> extra = {}, const std::string& screen = "800x600x24")
    {
        if (::access(XVFB_PROGRAM, X_OK) != 0)
            return;
        std::vector<std::string> argv{XVFB_PROGRAM, "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", screen};
        argv.insert(argv.end(), extra.begin(), extra.end());
        child_ = std::make_unique<Child>(argv, 3);
        if (const auto number = child_->line(10000); number && !number->empty())
            name_ = ":" + *number;
    }
    // ":N", or "" when the server did not start.
    const std::string& name() const { return name_; }

private:
    std::unique_ptr<Child> child_;
    std::string name_;
};

} // namespace vantor::test
