// A second start of the program on the same X server, with a key file on its
// command line: the running copy's window comes back in front of another window
// and takes the keyboard, as the X server tells it, and the file is loaded there;
// the second start ends at once. Runs in the reconnect test's X11 program, on an
// Xvfb of the test's own without a window manager: "in front" is the stacking
// order of the server's top-level windows, "takes the keyboard" its input focus.
#include "shell_test_support.h"

#include "definitions/kdl_file.h"
#include "shell/single_instance.h"

#include <QApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <QWidget>

#include <X11/Xlib.h>

#include <algorithm>
#include <vector>

namespace vantor::test {
namespace {

class SecondStartOnXvfbTest : public MainFormTest {
protected:
    void SetUp() override
    {
        // This process is the copy that runs: it holds the lock before its window is made.
        qputenv("XDG_RUNTIME_DIR", runtimeDir().path().toLocal8Bit());
        ASSERT_EQ(SingleInstanceCheck("Vantor"), 0);
        MainFormTest::SetUp();
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
    }
    void TearDown() override
    {
        if (display)
            XCloseDisplay(display);
        MainFormTest::TearDown();
    }
    // The X server's top-level windows, bottom first.
    std::vector<Window> stacking()
    {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        std::vector<Window> out;
        if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &n) && children) {
            out.assign(children, children + n);
            XFree(children);
        }
        return out;
    }
    // True when `upper` lies above `lower` on the server.
    bool above(WId upper, WId lower)
    {
        const std::vector<Window> order = stacking();
        const auto u = std::find(order.begin(), order.end(), Window(upper));
        const auto l = std::find(order.begin(), order.end(), Window(lower));
        return u != order.end() && l != order.end() && u > l;
    }
    Window focus()
    {
        Window w = 0;
        int revert = 0;
        XGetInputFocus(display, &w, &revert);
        return w;
    }
    bool viewable(WId w)
    {
        XWindowAttributes a;
        return XGetWindowAttributes(display, Window(w), &a) && a.map_state == IsViewable;
    }
    Display* display = nullptr;
};

TEST_F(SecondStartOnXvfbTest, RaisesTheRunningWindowAndLoadsTheFile)
{
    QWidget* window = toolkitFormWidget(form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    // Another window in front, with the keyboard; the program's window minimised.
    QWidget other;
    other.setWindowTitle("Another program");
    other.setGeometry(window->geometry());
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    other.raise();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    window->showMinimized();
    QTest::qWait(50);
    XSync(display, False);
    ASSERT_TRUE(above(other.winId(), window->winId()));
    ASSERT_EQ(focus(), Window(other.winId()));

    // A key file whose first button says "Bühne" on its On face.
    KeyDefinitionTable table;
    table[0].setLabelText(true, "B\xFChne ");
    const QString file = settingsDir.path() + "/B\u00fchne 1.kdl";
    ASSERT_TRUE(writeKdlFile(QFile::encodeName(file).toStdString(), table).ok());

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtimeDir().path());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("VANTOR_MESSAGES", "stderr");
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(settingsDir.path());
    second.start(VANTOR_PROGRAM, {"NOVT", "B\u00fchne 1.kdl"});
    ASSERT_TRUE(second.waitForStarted(10000));
    for (int i = 0; i < 1000 && second.state() != QProcess::NotRunning; ++i)
        QTest::qWait(20); // the running copy takes the start in its event loop
    ASSERT_EQ(second.state(), QProcess::NotRunning);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.readAllStandardError(), QByteArray());

    EXPECT_TRUE(QTest::qWaitForWindowActive(window)) << "the window did not get the keyboard";
    XSync(display, False);
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(viewable(window->winId()));
    EXPECT_TRUE(above(window->winId(), other.winId())) << "the window is not in front";
    EXPECT_EQ(focus(), Window(window->winId())) << "the X server gives the keyboard elsewhere";
    EXPECT_EQ(definitionTable()[0].labelLine(true, 0), "B\xFChne ");
}

} // namespace
} // namespace vantor::test
