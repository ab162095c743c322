// The program's own windows on a Wayland desktop: a headless sway the test
// starts itself, the program on sway's XWayland (as it chooses on such a
// desktop), a mouse made in the compositor. The main window maps, a menu opens
// and its item runs, a message box shows and is answered, and the icon drag
// window opens at the pointer, follows it with the capture held and drops its
// icon on a face, every event coming through the compositor and the X server.
// Keyboard mode types into a Wayland program that has the focus, never while
// the configurator's own window has it.
#include "connected_form_support.h"
#include "virtual_pointer.h"
#include "tests/keyboard/sway_session.h"

#include "definitions/editor/editor.h"
#include "shell/control_ids.h"
#include "shell/display_platform.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <X11/Xlib.h>

namespace vantor::test {
namespace {

using namespace vantor::mainid;

SwaySession*& sway()
{
    static SwaySession* s = nullptr;
    return s;
}

// XWayland admits only sway's user: a test run as root is let in by that user,
// as `xhost +si:localuser:root` would.
std::string admitRoot(const std::string& display)
{
    if (::getuid() != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(1);
        Display* x = nullptr;
        for (int i = 0; i < 100 && !(x = XOpenDisplay(display.c_str())); ++i)
            ::usleep(100 * 1000);
        if (!x)
            ::_exit(2);
        char type[] = "localuser", user[] = "root";
        XServerInterpretedAddress address{9, 4, type, user};
        XHostAddress host{FamilyServerInterpreted, sizeof address, reinterpret_cast<char*>(&address)};
        XAddHost(x, &host);
        XSync(x, False);
        XCloseDisplay(x);
        ::_exit(0);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? std::string() : "XWayland did not let the test in";
}

class XWaylandWindowTest : public ConnectedFormTest {
protected:
    void SetUp() override
    {
        if (!sway()->skipReason.empty())
            GTEST_SKIP() << sway()->skipReason;
        ASSERT_TRUE(sway()->failure.empty()) << sway()->failure;
        ConnectedFormTest::SetUp();
        x = XOpenDisplay(sway()->display.c_str());
        ASSERT_NE(x, nullptr);
        pointer = std::make_unique<VirtualPointer>(sway()->socket, DisplayWidth(x, DefaultScreen(x)),
                                                   DisplayHeight(x, DefaultScreen(x)));
        ASSERT_TRUE(pointer->ok()) << "sway offers no virtual pointer";
        mainForm = toolkitFormWidget(form);
        ASSERT_NE(mainForm, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mainForm, 10000));
    }
    void TearDown() override
    {
        pointer.reset();
        if (x)
            XCloseDisplay(x);
        ConnectedFormTest::TearDown();
    }
    // Where the X server shows a point of `w`.
    QPoint onServer(QWidget* w, QPoint local)
    {
        XSync(x, False);
        int sx = 0, sy = 0;
        Window child = 0;
        XTranslateCoordinates(x, static_cast<Window>(w->winId()), DefaultRootWindow(x), local.x(), local.y(), &sx,
                              &sy, &child);
        return {sx, sy};
    }
    // The mouse over a point of `w`, then (with `click`) a left click there.
    // The compositor places new windows itself: the pointer goes where the X
    // server shows the point once the program has learnt where that is.
    void pointAt(QWidget* w, QPoint local, bool click = false)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return onServer(w, local) == w->mapToGlobal(local); }, 3000))
            << "the program does not know where the compositor put its window";
        const QPoint p = onServer(w, local);
        pointer->moveTo(p.x() + 1, p.y() + 1);
        QTest::qWait(100);
        pointer->moveTo(p.x(), p.y());
        QTest::qWait(200);
        if (click) {
            pointer->button(true);
            QTest::qWait(100);
            pointer->button(false);
            QTest::qWait(50);
        }
    }
    bool mapped(QWidget* w)
    {
        XWindowAttributes a{};
        return XGetWindowAttributes(x, static_cast<Window>(w->winId()), &a) && a.map_state == IsViewable;
    }

    Display* x = nullptr;
    std::unique_ptr<VirtualPointer> pointer;
    QWidget* mainForm = nullptr;
};

TEST_F(XWaylandWindowTest, MainWindowMenuAndMessageBoxTakeTheCompositorsMouse)
{
    EXPECT_EQ(QGuiApplication::platformName(), "xcb");
    EXPECT_TRUE(mapped(mainForm));

    // Help > About: the menu opens under a click on its title, the item runs.
    auto* bar = mainForm->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    QAction* help = nullptr;
    for (QAction* a : bar->actions())
        if (a->text().remove('&') == "Help")
            help = a;
    ASSERT_NE(help, nullptr);
    pointAt(bar, bar->actionGeometry(help).center(), true);
    ASSERT_TRUE(QTest::qWaitFor([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }, 5000))
        << "the Help menu did not open";
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu, 5000));
    EXPECT_TRUE(mapped(menu));
    QAction* about = nullptr;
    for (QAction* a : menu->actions())
        if (a->text().remove('&') == "About")
            about = a;
    ASSERT_NE(about, nullptr);

    // The real box (no hook): it is answered with a click on its OK button
    // while it runs.
    setMessageHook(nullptr);
    // A click that misses is made again; a box no click closes is closed by
    // the test, which then fails instead of waiting for ever.
    Message shown;
    bool wasMapped = false, closedByTest = false, busy = false;
    QElapsedTimer since;
    int clicks = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (busy || !box || !box->windowHandle() || !box->windowHandle()->isExposed())
            return;
        busy = true;
        if (shown.caption.empty()) {
            shown = {box->windowTitle().toStdString(), box->text().toStdString()};
            wasMapped = mapped(box);
            since.start();
        }
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        if (ok && clicks < 4 && since.elapsed() >= clicks * 1500) {
            ++clicks;
            pointAt(ok, ok->rect().center(), true);
        } else if (since.elapsed() > 8000) {
            closedByTest = true;
            box->done(QMessageBox::Cancel);
        }
        busy = false;
    });
    answer.start(100);
    pointAt(menu, menu->actionGeometry(about).center(), true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shown.caption.empty() && !QApplication::activeModalWidget(); }, 10000))
        << "the message box did not show or was not answered";
    answer.stop();
    EXPECT_FALSE(closedByTest) << clicks << " clicks on OK did not answer the box";
    EXPECT_EQ(shown.caption, "About");
    EXPECT_EQ(shown.text, "Orbel-Lumio/Vantor/Stratiq Macro Editor");
    EXPECT_TRUE(wasMapped);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(XWaylandWindowTest, IconDragWindowFollowsThePointerAndDropsOnAFace)
{
    // ROM icon 2 (library cell 1) carried onto the On face of button 3.
    QWidget* library = widget(libraryCanvas);
    QWidget* face = widget(faceOnFirst + 2 * idStep);
    ASSERT_TRUE(library && face);
    const int index = editor::indexFor(faceOnFirst + 2 * idStep);
    int w = 0, h = 0;
    GN_GETCANVASSIZE(form, libraryCanvas, w, h);
    const QPoint cell(w / 4 + (library->width() - w) / 2 + 10, (library->height() - h) / 2 + 10);
    pointAt(library, cell);
    pointer->button(true);
    ASSERT_TRUE(QTest::qWaitFor([] { return toolkitFormWidget("DRAGFORM") != nullptr; }, 5000))
        << "no drag window";
    QWidget* drag = toolkitFormWidget("DRAGFORM");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(drag, 5000));
    EXPECT_TRUE(mapped(drag));
    EXPECT_EQ(QWidget::mouseGrabber(), drag);
    // Where the X server shows the drag window: its centre stays on the
    // pointer at every step, whatever the compositor would do with it.
    const auto centreOnScreen = [&] { return onServer(drag, drag->rect().center()); };
    const QPoint from = library->mapToGlobal(cell), to = face->mapToGlobal(face->rect().center());
    EXPECT_LE((centreOnScreen() - from).manhattanLength(), 8) << "the drag window did not open at the pointer";
    for (int step = 1; step <= 4; ++step) {
        const QPoint at = from + (to - from) * step / 4;
        pointer->moveTo(at.x(), at.y());
        EXPECT_TRUE(QTest::qWaitFor([&] { return (centreOnScreen() - at).manhattanLength() <= 8; }, 2000))
            << "step " << step << ": the drag window is at " << centreOnScreen().x() << "," << centreOnScreen().y()
            << ", the pointer at " << at.x() << "," << at.y();
    }
    EXPECT_EQ(QWidget::mouseGrabber(), drag);
    pointer->button(false);
    EXPECT_TRUE(QTest::qWaitFor([] { return toolkitFormWidget("DRAGFORM") == nullptr; }, 5000));
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    // The drop stored ROM icon 2 as the button's On icon.
    const std::vector<Bytes> records = storedRecords(1);
    ASSERT_FALSE(records.empty()) << "the drop stored nothing";
    const KeyDefinition stored = KeyDefinition::fromBytes(records.back());
    EXPECT_EQ(stored.ownIndex(), index);
    EXPECT_EQ(stored.displayType(), DisplayType::RomIcon);
    EXPECT_EQ(text(romIconOn), "2");
}

TEST_F(XWaylandWindowTest, KeyboardModeTypesIntoTheFocusedWaylandProgramNeverIntoItsOwnWindow)
{
    // wev, a Wayland program, beside the configurator's window; the focus
    // moves between them as a user's key binding moves it.
    ASSERT_TRUE(sway()->startWev()) << sway()->failure;
    triggerMenuItem(menuKeyboardMode);
    ASSERT_EQ(shellFlags().keyboardMode, 1);
    const auto panelSends = [this](const Bytes& bytes) {
        sim->sendRaw(bytes);
        // The poll tick takes them and types them (or not).
        EXPECT_TRUE(QTest::qWaitFor([] { return serialPort().bytesWaiting() == 0; }, 5000));
        QTest::qWait(200);
    };

    // Typed while the configurator's window has the focus, the q would come
    // back to that window through the compositor and XWayland.
    struct KeyCount : QObject {
        int keys = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            keys += dynamic_cast<QKeyEvent*>(e) != nullptr;
            return false;
        }
    } ownKeys;
    ASSERT_TRUE(sway()->command("[shell=xwayland] focus"));
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() != nullptr; }, 5000))
        << "the configurator's window did not become active";
    qApp->installEventFilter(&ownKeys);
    panelSends({0x00, 'q'});
    qApp->removeEventFilter(&ownKeys);
    EXPECT_EQ(ownKeys.keys, 0) << "keyboard mode typed into the configurator's own window";
    ASSERT_TRUE(sway()->command("[app_id=wev] focus"));
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == nullptr; }, 5000))
        << "the configurator's window stayed active";
    panelSends({0x01, 'v', 0x00, 0xE9});
    // wev gets Shift+v and e acute, and never the q.
    EXPECT_EQ(keyEvents(*sway()->wev, 6), (Lines{"press Shift_L", "press V", "release V", "release Shift_L",
                                                   "press eacute", "release eacute"}));
    EXPECT_TRUE(messages.empty()) << messages.front().text;
    triggerMenuItem(menuKeyboardMode);
    EXPECT_EQ(shellFlags().keyboardMode, 0);
    sway()->wev.reset();
}

} // namespace
} // namespace vantor::test

// The application is made on sway's XWayland once that is up, and chooses its
// platform as the program does; it lives until the process ends, after sway.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    using vantor::test::SwaySession;
    SwaySession session(SwaySession::Extra::XWayland);
    vantor::test::sway() = &session;
    if (session.skipReason.empty() && session.failure.empty())
        session.failure = vantor::test::admitRoot(session.display);
    ::unsetenv("QT_QPA_PLATFORM");
    ::unsetenv("VANTOR_MESSAGES"); // real message boxes
    if (session.skipReason.empty() && session.failure.empty()) {
        ::setenv("WAYLAND_DISPLAY", session.socket.c_str(), 1);
        ::setenv("DISPLAY", session.display.c_str(), 1);
        ::setenv("XDG_SESSION_TYPE", "wayland", 1);
        ::setenv("XDG_CURRENT_DESKTOP", "sway", 1);
        vantor::preferXWayland();
    } else {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    static int qtArgc = 1;
    static char name[] = "shell_xwayland_test";
    static char* qtArgs[] = {name, nullptr};
    static QApplication* application = new QApplication(qtArgc, qtArgs);
    (void)application;
    return RUN_ALL_TESTS();
}
