// The main of a test program whose cases run on a real X server: an Xvfb of
// the program's own, on a display number it finds free itself (told through
// -displayfd), with the Qt application on it through xcb; ended with the tests.
#pragma once

#include "tests/support/xvfb.h"

#include <QApplication>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace vantor::test {

inline int runTestsOnXvfb(int argc, char** argv, const char* programName)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    Xvfb xvfb({}, "1280x800x24");
    if (xvfb.name().empty()) {
        std::fprintf(stderr, "%s did not start: the test needs an X server\n", XVFB_PROGRAM);
        return 1;
    }
    ::unsetenv("WAYLAND_DISPLAY");
    ::setenv("DISPLAY", xvfb.name().c_str(), 1);
    static char option[] = "-platform", xcb[] = "xcb";
    static char* qtArgs[] = {const_cast<char*>(programName), option, xcb, nullptr};
    static int qtArgc = 3;
    static QApplication* application = new QApplication(qtArgc, qtArgs);
    if (QGuiApplication::platformName() != "xcb") {
        std::fprintf(stderr, "the windows are not on the X server but on %s\n",
                     QGuiApplication::platformName().toUtf8().constData());
        return 1;
    }
    (void)application;
    return RUN_ALL_TESTS();
}

} // namespace vantor::test
