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

namespace {
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
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
