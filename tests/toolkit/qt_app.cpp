// One Qt application object for the whole test program, on the offscreen platform.
#include <gtest/gtest.h>

#include <cstdlib>

#ifdef VANTOR_WIDGETS_APP
#include <QApplication>
using TestApp = QApplication;
#else
#include <QGuiApplication>
using TestApp = QGuiApplication;
#endif

// The sanitizer build must not fail on what fontconfig keeps for the whole
// process; the test environment of CTest may not carry ASAN_OPTIONS through.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#endif
#endif

namespace {
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("VANTOR_MESSAGES", "stderr", 0);  // no test ever waits on a message box
        static int argc = 1;
        static char name[] = "vantor_tests";
        static char* argv[] = {name, nullptr};
        app_ = new TestApp(argc, argv);
    }

private:
    TestApp* app_ = nullptr;  // kept until the process ends
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}  // namespace
