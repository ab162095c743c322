// Keyboard-only use of the main form: Up and Down, the Radio Group spinner, the
// library's icon onto a button by key, the panel picture as one Tab stop and a
// focus mark on every Tab stop. Built twice: on Qt's offscreen platform and on
// an Xvfb the test starts itself (RECONNECT_ON_XVFB, in the reconnect test's X11
// program), where the window gets the keyboard from the X server.
#include "shell_test_support.h"

#include "shell/main_form_names.h"
#include "toolkit/event_codes.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <vector>

namespace vantor::test {
namespace {

// The suite's name says where it ran.
#ifdef RECONNECT_ON_XVFB
#define KEYBOARD_SUITE KeyboardOnlyOnXvfbTest
#else
#define KEYBOARD_SUITE KeyboardOnlyTest
#endif

class KEYBOARD_SUITE : public MainFormTest {
protected:
    // The window given the keyboard, and the platform saying so.
    static bool activate(QWidget* window)
    {
        window->raise();
        window->activateWindow();
        QApplication::setActiveWindow(window);
        return QTest::qWaitForWindowActive(window, 5000);
    }
    // Clicks tab `n` (from 1) of the tab control as the user would.
    void clickTab(int n)
    {
        QWidget* w = toolkitControlWidget(form, 835);
        ASSERT_NE(w, nullptr);
        const QFontMetrics fm(w->font());
        int x = 2 + 10;
        if (n == 2)
            x += fm.horizontalAdvance("Button Assignment") + 24;
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(x, 6));
        GN_DOEVENTS(255);
    }
};

// Up and Down step the library's icon only while the library has the
// keyboard; in a label field they leave it alone; the Radio Group spinner
// takes Up, Down and digits.
TEST_F(KEYBOARD_SUITE, ArrowKeysOfTheKeyboardStepTheIconNumber)
{
    QWidget* window = toolkitFormWidget(form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(activate(window));
    QTest::keyClick(toolkitControlWidget(form, 165), Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Down);
    GN_DOEVENTS(255);
    EXPECT_EQ(GN_GETTEXT(form, 600), "1");
    QWidget* library = toolkitControlWidget(form, 605);
    QTest::keyClick(library, Qt::Key_Up);
    GN_DOEVENTS(255);
    EXPECT_EQ(GN_GETTEXT(form, 600), "1");
    QTest::keyClick(library, Qt::Key_Down);
    QTest::keyClick(library, Qt::Key_Down);
    QTest::keyClick(toolkitControlWidget(form, 590), Qt::Key_Up);
    GN_DOEVENTS(255);
    EXPECT_EQ(GN_GETTEXT(form, 600), "2");

    QWidget* spinner = toolkitControlWidget(form, 235);
    QTest::keyClick(spinner, Qt::Key_Up);
    EXPECT_EQ(GN_GETUPDOWN(form, 235), 1);
    QTest::keyClick(spinner, Qt::Key_7);
    EXPECT_EQ(GN_GETUPDOWN(form, 235), 7);
    QTest::keyClick(spinner, Qt::Key_1);
    QTest::keyClick(spinner, Qt::Key_0);
    EXPECT_EQ(GN_GETUPDOWN(form, 235), 10);
    QTest::keyClick(spinner, Qt::Key_Down);
    EXPECT_EQ(GN_GETUPDOWN(form, 235), 9);
    EXPECT_EQ(GN_GETTEXT(form, 600), "2");

    // The library's icon onto the selected button's faces by key: ROM icon 2
    // on the On face, then RAM icon 2 on the Off face.
    QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    GN_DOEVENTS(255);
    EXPECT_EQ(definitionTable()[0].displayType(), DisplayType::RomIcon);
    EXPECT_EQ(definitionTable()[0].labelCode(true), 1);
    GN_SENDMESSAGE(form, 580, gn::kClick, 0);
    GN_SETTEXT(form, 600, "2");
    QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    GN_DOEVENTS(255);
    EXPECT_EQ(definitionTable()[0].displayType(), DisplayType::RamIcon);
    EXPECT_EQ(definitionTable()[0].labelCode(false), 1);
    // Ctrl+Up on the "Button Assignment" tab does nothing.
    routed.clear();
    QTest::keyClick(window, Qt::Key_Up, Qt::ControlModifier);
    GN_DOEVENTS(255);
    EXPECT_FALSE(wasRoutedTo("move"));
    EXPECT_EQ(GN_GETTEXT(form, 600), "2");
}

// The panel picture is one Tab stop: the face or key that had the focus last;
// the arrow keys move inside it.
TEST_F(KEYBOARD_SUITE, PanelPictureIsOneTabStop)
{
    QWidget* window = toolkitFormWidget(form);
    ASSERT_TRUE(activate(window));
    auto tab = [](Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, mods);
        return QApplication::focusWidget();
    };
    toolkitControlWidget(form, 590)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(tab(), toolkitControlWidget(form, 610));
    EXPECT_EQ(tab(), toolkitControlWidget(form, 835)); // round to the page tabs
    toolkitControlWidget(form, 610)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), toolkitControlWidget(form, 615));
    // Shift+Tab leaves the picture for the library's last Tab stop.
    EXPECT_EQ(tab(Qt::ShiftModifier), toolkitControlWidget(form, 600));
    EXPECT_EQ(tab(), toolkitControlWidget(form, 615));
}

// Every Tab stop shown on either page looks different while it has the
// keyboard: the focus mark, owner-drawn buttons, page tabs and pads included.
TEST_F(KEYBOARD_SUITE, EveryTabStopShowsAFocusMark)
{
    QWidget* window = toolkitFormWidget(form);
    ASSERT_TRUE(activate(window));
    std::vector<int> unmarked;
    int seen = 0;
    for (int page : {1, 2}) {
        clickTab(page);
        for (int id : mainFormTabOrder()) {
            QWidget* w = toolkitControlWidget(form, id);
            if (!w || !w->isVisible() || !w->isEnabled() || w->focusPolicy() == Qt::NoFocus)
                continue;
            window->setFocus();
            GN_DOEVENTS(255);
            const QImage before = w->grab().toImage();
            w->setFocus(Qt::TabFocusReason);
            GN_DOEVENTS(255);
            ++seen;
            if (w->grab().toImage() == before)
                unmarked.push_back(id);
        }
    }
    EXPECT_GT(seen, 40);
    EXPECT_EQ(unmarked, std::vector<int>{});
}

} // namespace
} // namespace vantor::test
