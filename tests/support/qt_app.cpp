// One Qt application object for the whole test program, on the offscreen platform,
// with every message box answered on standard error. Built with
// VANTOR_WIDGETS_APP for tests of widgets, else a GUI application (fonts, images).
#include <gtest/gtest.h>

#include <cstdlib>

#ifdef VANTOR_WIDGETS_APP
#include <QApplication>
using TestApp = QApplication;
#else
#include <QGuiApplication>
using TestApp = QGuiApplication;
#endif

// Sanitizer builds report leaks, but not what fontconfig keeps for the whole
// process (also when a test program is run by hand, without CTest's options).
#if defined(__SANITIZE_ADDRESS__)
#define VANTOR_HAS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VANTOR_HAS_ASAN 1
#endif
#endif
#ifdef VANTOR_HAS_ASAN
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif

namespace {
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("VANTOR_MESSAGES", "stderr", 0); // no test ever waits on a message box
        static int argc = 1;
        static char name[] = "vantor_tests";
        static char* argv[] = {name, nullptr};
        app_ = new TestApp(argc, argv);
    }

private:
    TestApp* app_ = nullptr; // kept until the process ends
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
} // namespace
