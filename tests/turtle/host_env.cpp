// One Qt Widgets application (offscreen) for the hosting tests.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#endif
#endif

namespace {
class WidgetsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("VANTOR_MESSAGES", "stderr", 0);
        static int argc = 1;
        static char name[] = "turtle_host_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }

private:
    QApplication* app_ = nullptr;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new WidgetsEnvironment);
}  // namespace
