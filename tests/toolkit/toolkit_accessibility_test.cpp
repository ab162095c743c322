// What screen readers see of the toolkit's controls (their accessible interfaces,
// as the AT-SPI bridge reads them) and the keyboard on pressable pictures and canvases.
#include "tests/toolkit/toolkit_support.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QTest>

using namespace vantor::test;

namespace {

class Accessibility : public ToolkitTest {
protected:
    static QAccessibleInterface* ui(int id)
    {
        return QAccessible::queryAccessibleInterface(toolkitControlWidget("VANTOR", id));
    }
    static QString name(QAccessibleInterface* i) { return i ? i->text(QAccessible::Name) : QString("(none)"); }
    static void press(QAccessibleInterface* i, const QString& action = QAccessibleActionInterface::pressAction())
    {
        ASSERT_TRUE(i && i->actionInterface());
        ASSERT_TRUE(i->actionInterface()->actionNames().contains(action)) << name(i).toStdString();
        i->actionInterface()->doAction(action);
        GN_DOEVENTS(); // the press is carried out once the caller has its answer
    }
};

TEST_F(Accessibility, RolesNamesStatesAndPressesOfEveryKindOfControl)
{
    makeForm("VANTOR", [] {
        GN_RADIO(215, 1, 1, 9, 1.25, "&Momentary", "GT");
        GN_RADIO(220, 12, 1, 9, 1.25, "Latched", "T");
        GN_CHECKBOX(290, 24, 1, 12, 1, "Long 'On' Message", "IT");
        GN_PICTUREBUTTON(500, 1, 3, 2.75, 1.25, "$F1B1", "GOT");
        GN_PICTUREBUTTON(505, 4, 3, 2.75, 1.25, "$F1B1", "OT");
        GN_PICTUREBUTTON(560, 8, 3, 2.75, 1.25, "$SHIFT", "TX");
        GN_CANVAS(610, 12, 3, 6.25, 2, "", "T");
        GN_LABEL(205, 1, 6, 20, 2, "90 3C 7F", "ALS");
        GN_ADDTOOLTIP("VANTOR", 205);
        GN_LABEL(200, 22, 6, 6, 1, "2", "CS");
        GN_OWNERBUTTON(405, 1, 9, 9, 2, "Save to|RAM Icon", "T");
        GN_COMBOBOX(245, 12, 9, 11, 9, "Dark Green|Bright Green", "JTV");
        GN_TABCONTROL(835, 0, 12, 30, 6, "Button Assignment|Icon Editor", "OT");
    });
    handler = [](const std::string&, int id, int code, std::intptr_t, int&) {
        if (id == 205 && code == 8)
            GN_SETTOOLTIP("Click to edit|Button On Message");
    };
    GN_SETACCESSIBLE("VANTOR", 500, "Bank 1");
    GN_SETACCESSIBLE("VANTOR", 505, "Bank 2");
    GN_SETACCESSIBLE("VANTOR", 560, "Shift");
    GN_SETACCESSIBLE("VANTOR", 610, "Bank 1 Button 1 On: Play");
    GN_SETACCESSIBLE("VANTOR", 205, "On Message Hex");
    GN_SETACCESSIBLE("VANTOR", 200, "Bank");
    GN_SETACCESSIBLE("VANTOR", 245, "Button On Color");

    EXPECT_EQ(ui(215)->role(), QAccessible::RadioButton);
    EXPECT_EQ(name(ui(215)), "Momentary");
    EXPECT_EQ(ui(290)->role(), QAccessible::CheckBox);
    EXPECT_EQ(ui(500)->role(), QAccessible::RadioButton);
    EXPECT_EQ(ui(560)->role(), QAccessible::CheckBox);
    EXPECT_EQ(ui(610)->role(), QAccessible::Button);
    EXPECT_EQ(ui(205)->role(), QAccessible::Button);
    EXPECT_EQ(ui(200)->role(), QAccessible::StaticText);
    EXPECT_EQ(ui(405)->role(), QAccessible::Button);
    EXPECT_EQ(ui(245)->role(), QAccessible::ComboBox);
    EXPECT_EQ(ui(835)->role(), QAccessible::PageTabList);

    // Names carry what the control shows; descriptions are the tooltips.
    EXPECT_EQ(name(ui(405)), "Save to RAM Icon");
    EXPECT_EQ(name(ui(200)), "Bank: 2");
    EXPECT_EQ(name(ui(205)), "On Message Hex: 90 3C 7F");
    EXPECT_EQ(ui(205)->text(QAccessible::Description), "Click to edit Button On Message");
    EXPECT_EQ(name(ui(245)), "Button On Color");
    EXPECT_EQ(ui(245)->text(QAccessible::Value), "Dark Green");
    EXPECT_EQ(name(ui(560)), "Shift, off");

    // Presses do what clicks do, states follow.
    events.clear();
    press(ui(220));
    EXPECT_TRUE(ui(220)->state().checked);
    EXPECT_FALSE(ui(215)->state().checked);
    press(ui(505));
    EXPECT_TRUE(ui(505)->state().checked);
    press(ui(560));
    EXPECT_EQ(name(ui(560)), "Shift, on");
    EXPECT_TRUE(ui(560)->state().checked);
    press(ui(610));
    press(ui(205));
    press(ui(405));
    press(ui(405), QAccessibleActionInterface::showMenuAction());
    EXPECT_EQ(codes("VANTOR", 220), std::vector<int>{1});
    EXPECT_EQ(codes("VANTOR", 505), std::vector<int>{1});
    EXPECT_EQ(codes("VANTOR", 610), std::vector<int>{1});
    EXPECT_EQ(codes("VANTOR", 205), std::vector<int>{1});
    EXPECT_EQ(count(405, 1), 1);
    EXPECT_EQ(count(405, 95), 1);

    // The tab control's pages are page tabs; pressing one picks it.
    QAccessibleInterface* tabs = ui(835);
    ASSERT_EQ(tabs->childCount(), 2);
    QAccessibleInterface* second = tabs->child(1);
    EXPECT_EQ(second->role(), QAccessible::PageTab);
    EXPECT_EQ(name(second), "Icon Editor");
    EXPECT_TRUE(tabs->child(0)->state().selected);
    EXPECT_EQ(tabs->indexOfChild(second), 1);
    events.clear();
    press(second);
    EXPECT_TRUE(second->state().selected);
    EXPECT_EQ(GN_GETTABSEL("VANTOR", 835), 2);
    ASSERT_EQ(count(835, 6), 1);
    for (const Ev& e : events) {
        if (e.id == 835 && e.code == 6) {
            EXPECT_EQ(e.value, 2);
        }
    }
}

TEST_F(Accessibility, ArrowsMoveBetweenPadControlsSpacePressesAndMenuIsTheRightButton)
{
    // Two rows of three faces and a key below them.
    makeForm("VANTOR", [] {
        for (int i = 0; i < 3; ++i) {
            GN_CANVAS(610 + 5 * i, 1 + 8 * i, 1, 6, 2, "", "T");
            GN_CANVAS(715 + 5 * i, 1 + 8 * i, 4, 6, 2, "", "T");
        }
        GN_PICTUREBUTTON(500, 1, 8, 2.75, 1.25, "$F1B1", "GOT");
        GN_OWNERBUTTON(335, 12, 8, 14, 1.5, "'On' Message (Hex)", "T");
        GN_TABCONTROL(835, 0, 12, 30, 6, "Button Assignment|Icon Editor", "OT");
    });
    GN_DEFACCEL("VANTOR", "Up, 5025|Down, 5030");
    QWidget* window = toolkitFormWidget("VANTOR");
    window->activateWindow();
    QApplication::setActiveWindow(window);
    auto focusId = [] {
        QWidget* f = QApplication::focusWidget();
        return f ? f->property("gantryId").toInt() : 0;
    };
    toolkitControlWidget("VANTOR", 610)->setFocus();
    ASSERT_TRUE(waitFor([&] { return focusId() == 610; }));
    events.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(focusId(), 615);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(focusId(), 720);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(focusId(), 715);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(focusId(), 500);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left); // nothing further left: stays
    EXPECT_EQ(focusId(), 500);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(GN_GETCHECK("VANTOR", 500), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(focusId(), 715);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(count(5025, 1) + count(5030, 1), 0); // the arrows went to the faces, not the accelerators
    EXPECT_EQ(codes("VANTOR", 500), std::vector<int>{1});
    EXPECT_EQ(codes("VANTOR", 715), std::vector<int>{1});

    // The Menu key on an owner-drawn button is its right click; Left and Right switch tabs.
    toolkitControlWidget("VANTOR", 335)->setFocus();
    ASSERT_TRUE(waitFor([&] { return focusId() == 335; }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Menu);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(codes("VANTOR", 335), (std::vector<int>{95, 95}));
    toolkitControlWidget("VANTOR", 835)->setFocus();
    ASSERT_TRUE(waitFor([&] { return focusId() == 835; }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(GN_GETTABSEL("VANTOR", 835), 2);
    EXPECT_EQ(count(835, 6), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down); // an accelerator again off the pad
    EXPECT_EQ(count(5030, 1), 1);
}

} // namespace
