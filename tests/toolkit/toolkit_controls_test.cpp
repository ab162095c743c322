// Controls: layers, ranges, radio groups, fields, lists, geometry, z-order,
// tooltips, subclassed mouse messages and the mouse codes of canvases and pictures.
#include "tests/toolkit/toolkit_support.h"

#include <QHelpEvent>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

using namespace vantor::test;

namespace {

class Controls : public ToolkitTest { };

TEST_F(Controls, DisplayLayerShowsOneNumberedLayerAndLayerZeroAlways)
{
    makeForm("VANTOR", [] {
        GN_SETLAYER(1);
        GN_LABEL(100, 1, 1, 5, 1, "a", "");
        GN_LABEL(105, 1, 2, 5, 1, "b", "");
        GN_SETLAYER(2);
        GN_CANVAS(370, 1, 3, 5, 1, "", "S{DIB}");
        GN_SETLAYER(0);
        GN_LABEL(830, 1, 4, 5, 1, "c", "");
        GN_DISPLAYLAYER("VANTOR", 1, 32);
    });
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 100), 1);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 105), 1);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 370), 0);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 830), 1);
    EXPECT_FALSE(toolkitControlWidget("VANTOR", 370)->isVisible());
    GN_DISPLAYLAYER("VANTOR", 2, 32);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 100), 0);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 370), 1);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 830), 1);
    EXPECT_TRUE(toolkitControlWidget("VANTOR", 370)->isVisible());
    EXPECT_FALSE(toolkitControlWidget("VANTOR", 100)->isVisible());
}

TEST_F(Controls, ShowingAControlOfAHiddenLayerWaitsForItsLayer)
{
    makeForm("VANTOR", [] {
        GN_SETLAYER(1);
        GN_CHECKBOX(290, 1, 1, 8, 1, "Long", "IT");
        GN_LABEL(270, 1, 2, 8, 1, "hidden", "HIL");
        GN_SETLAYER(2);
        GN_LABEL(415, 1, 3, 8, 1, "page 2", "CI");
    });
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 270), 0); // "H": made hidden
    GN_DISPLAYLAYER("VANTOR", 2, 32);
    GN_SHOWC("VANTOR", 290);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 290), 0);
    GN_HIDEC("VANTOR", 290);
    GN_DISPLAYLAYER("VANTOR", 1, 32);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 290), 0);
    GN_SHOWC("VANTOR", 290);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 290), 1);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 270), 0);
    GN_SHOWC("VANTOR", 270, 270);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 270), 1);
}

TEST_F(Controls, ShowHideEnableDisableActOnEveryIdOfTheInclusiveRange)
{
    makeForm("VANTOR", [] {
        for (int id = 100; id <= 125; id += 5)
            GN_LABEL(id, 1, (id - 100) / 5.0, 4, 1, "L", "IL");
        GN_LABEL(130, 10, 1, 4, 1, "beyond", "");
        GN_LABEL(99, 10, 2, 4, 1, "before", "");
    });
    GN_HIDEC("VANTOR", 100, 125);
    for (int id = 100; id <= 125; id += 5)
        EXPECT_EQ(GN_ISVISIBLE("VANTOR", id), 0) << id;
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 130), 1);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 99), 1);
    GN_SHOWC("VANTOR", 104, 111); // 105 and 110
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 100), 0);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 105), 1);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 110), 1);
    EXPECT_EQ(GN_ISVISIBLE("VANTOR", 115), 0);
    GN_DISABLEC("VANTOR", 100, 130);
    EXPECT_EQ(GN_ISENABLED("VANTOR", 130), 0);
    EXPECT_EQ(GN_ISENABLED("VANTOR", 99), 1);
    GN_ENABLEC("VANTOR", 110);
    EXPECT_EQ(GN_ISENABLED("VANTOR", 110), 1);
    EXPECT_EQ(GN_ISENABLED("VANTOR", 105), 0);
    EXPECT_EQ(GN_ISENABLED("VANTOR", 777), 0); // no such control
}

TEST_F(Controls, RadioGroupsAreExclusiveOnClicksButSetCheckTouchesOneRadio)
{
    makeForm("BAUDRATE", [] {
        GN_RADIO(100, 1, 1, 8, 1, "38.4 Odd", "GIT");
        GN_RADIO(105, 1, 2, 8, 1, "19.2 Odd", "IT");
        GN_RADIO(110, 1, 3, 8, 1, "Other group", "GIT");
        GN_RADIO(115, 1, 4, 8, 1, "Other 2", "IT");
    });
    GN_SETCHECK("BAUDRATE", 100, 1);
    GN_SETCHECK("BAUDRATE", 110, 1);
    QTest::mouseClick(toolkitControlWidget("BAUDRATE", 105), Qt::LeftButton);
    EXPECT_EQ(GN_GETCHECK("BAUDRATE", 100), 0);
    EXPECT_EQ(GN_GETCHECK("BAUDRATE", 105), 1);
    EXPECT_EQ(GN_GETCHECK("BAUDRATE", 110), 1);
    EXPECT_EQ(count(105, 1), 1);
    QTest::mouseClick(toolkitControlWidget("BAUDRATE", 105), Qt::LeftButton); // stays ticked
    EXPECT_EQ(GN_GETCHECK("BAUDRATE", 105), 1);
    GN_SETCHECK("BAUDRATE", 100, 1);
    EXPECT_EQ(GN_GETCHECK("BAUDRATE", 105), 1); // both ticked now: the program decides
    GN_SETCHECK("BAUDRATE", 105, 0);
    EXPECT_EQ(GN_GETCHECK("BAUDRATE", 105), 0);
    GN_SENDMESSAGE("BAUDRATE", 115, 1, 0);
    EXPECT_EQ(GN_GETCHECK("BAUDRATE", 115), 1);
    EXPECT_EQ(GN_GETCHECK("BAUDRATE", 110), 0);
    EXPECT_EQ(GN_GETCHECK("BAUDRATE", 100), 1);
}

TEST_F(Controls, PictureButtonsToggleOrActAsOptionGroups)
{
    makeForm("VANTOR", [] {
        GN_PICTUREBUTTON(500, 1, 1, 2.75, 1.25, "$F1B1", "GOT");
        GN_PICTUREBUTTON(505, 4, 1, 2.75, 1.25, "$F1B1", "OT");
        GN_PICTUREBUTTON(540, 8, 1, 2.75, 1.25, "$F1B1", "GOT");
        GN_PICTUREBUTTON(560, 12, 1, 2.75, 1.25, "$SHIFT", "TX");
    });
    QTest::mouseClick(toolkitControlWidget("VANTOR", 500), Qt::LeftButton);
    QTest::mouseClick(toolkitControlWidget("VANTOR", 540), Qt::LeftButton);
    EXPECT_EQ(GN_GETCHECK("VANTOR", 500), 1);
    EXPECT_EQ(GN_GETCHECK("VANTOR", 540), 1);
    QTest::mouseClick(toolkitControlWidget("VANTOR", 505), Qt::LeftButton);
    EXPECT_EQ(GN_GETCHECK("VANTOR", 500), 0);
    EXPECT_EQ(GN_GETCHECK("VANTOR", 505), 1);
    EXPECT_EQ(GN_GETCHECK("VANTOR", 540), 1);
    QTest::mouseClick(toolkitControlWidget("VANTOR", 560), Qt::LeftButton);
    EXPECT_EQ(GN_GETCHECK("VANTOR", 560), 1);
    QTest::mouseClick(toolkitControlWidget("VANTOR", 560), Qt::LeftButton);
    EXPECT_EQ(GN_GETCHECK("VANTOR", 560), 0);
    EXPECT_EQ(count(560, 1), 2);
    GN_SETCHECK("VANTOR", 540, 0);
    EXPECT_EQ(GN_GETCHECK("VANTOR", 540), 0);
}

TEST_F(Controls, TextFieldsLimitLengthTakeDigitsOnlyAndReportChanges)
{
    makeForm("VANTOR", [] {
        GN_TEXTFIELD(165, 1, 1, 6.75, 1.1875, "", "EST[6]");
        GN_TEXTFIELD(600, 1, 3, 5, 1.25, "1", "CENST");
    });
    events.clear();
    GN_SETTEXT("VANTOR", 165, "1234567");
    EXPECT_EQ(GN_GETTEXT("VANTOR", 165), "123456");
    EXPECT_EQ(count(165, 6), 1);
    GN_SETTEXT("VANTOR", 165, "123456"); // unchanged: no event
    EXPECT_EQ(count(165, 6), 1);
    GN_SETTEXT("VANTOR", 600, "");
    QTest::keyClicks(toolkitControlWidget("VANTOR", 600), "4x2");
    EXPECT_EQ(GN_GETTEXT("VANTOR", 600), "42");
    EXPECT_EQ(count(600, 6), 3);
    GN_SETTEXT("VANTOR", 165, "caf\xE9"); // Latin-1 bytes come back as they went in
    EXPECT_EQ(GN_GETTEXT("VANTOR", 165), "caf\xE9");
}

TEST_F(Controls, ComboUpDownScrollBarAndListViewKeepTheirValues)
{
    makeForm("VANTOR", [] {
        GN_COMBOBOX(245, 1, 1, 11.75, 9.5, "Dark Green|Bright Green|Dark Red|Off", "JTV");
        GN_UPDOWN(235, 14, 1, 2.125, 2, "", "T");
        GN_VSCROLLBAR(590, 18, 1, 2.25, 15.125, "", "");
        GN_LISTVIEW(100, 22, 1, 30, 10, "Cmd Name{20}|Cmd bytes{15}", "-#STV");
    });
    EXPECT_EQ(GN_GETCOMBOSEL("VANTOR", 245), 1);
    EXPECT_EQ(GN_GETTEXT("VANTOR", 245), "Dark Green");
    GN_SETTEXT("VANTOR", 245, "Dark Red");
    EXPECT_EQ(GN_GETCOMBOSEL("VANTOR", 245), 3);
    GN_SETCOMBOSEL("VANTOR", 245, 4);
    EXPECT_EQ(GN_GETTEXT("VANTOR", 245), "Off");
    GN_SETCOMBOSEL("VANTOR", 245, 9); // out of range: unchanged
    EXPECT_EQ(GN_GETCOMBOSEL("VANTOR", 245), 4);

    GN_SETUPDOWN("VANTOR", 235, 0, 10, 0);
    auto* up = toolkitControlWidget("VANTOR", 235)->findChild<QToolButton*>("up");
    auto* down = toolkitControlWidget("VANTOR", 235)->findChild<QToolButton*>("down");
    ASSERT_TRUE(up && down);
    events.clear();
    down->click(); // at the minimum: nothing
    up->click();
    up->click();
    EXPECT_EQ(GN_GETUPDOWN("VANTOR", 235), 2);
    ASSERT_EQ(count(235, 6), 2);
    EXPECT_EQ(events.back().value, 2);

    events.clear();
    GN_SETVSCROLL("VANTOR", 590, 1, 40, 1, 1);
    EXPECT_EQ(count(590, 6), 0);
    auto* bar = static_cast<QScrollBar*>(toolkitControlWidget("VANTOR", 590));
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(GN_GETVSCROLL("VANTOR", 590), 2);
    ASSERT_EQ(count(590, 6), 1);
    EXPECT_EQ(events.back().value, 2);
    GN_SETVSCROLL("VANTOR", 590, 1, 64, 70, 1);
    EXPECT_EQ(GN_GETVSCROLL("VANTOR", 590), 64);

    GN_LVSETITEM("VANTOR", 100, 0, 0, "Stop");
    GN_LVSETITEM("VANTOR", 100, 0, 1, "20 00 20 ");
    GN_LVSETITEM("VANTOR", 100, 2, 0, "Play");
    EXPECT_EQ(GN_LVCOUNT("VANTOR", 100), 3);
    EXPECT_EQ(GN_LVGETITEM("VANTOR", 100, 0, 1), "20 00 20 ");
    EXPECT_EQ(GN_LVGETITEM("VANTOR", 100, 1, 0), "");
    EXPECT_EQ(GN_LVGETSEL("VANTOR", 100), -1);
    GN_LVSETSEL("VANTOR", 100, 2);
    EXPECT_EQ(GN_LVGETSEL("VANTOR", 100), 2);
    GN_LVCLEAR("VANTOR", 100);
    EXPECT_EQ(GN_LVCOUNT("VANTOR", 100), 0);
    EXPECT_EQ(GN_LVGETSEL("VANTOR", 100), -1);
}

TEST_F(Controls, GeometryIsInCellsOfEightBySixteenPixels)
{
    makeForm(
        "VANTOR", [] { GN_LABEL(195, 38.875, 5.125, 6.125, 1.0625, "1", "CS"); }, 121.25, 31.4375, "_C");
    double c, r, w, h;
    ASSERT_EQ(GN_GETSIZEC("VANTOR", 195, c, r, w, h), 1);
    EXPECT_DOUBLE_EQ(c, 38.875);
    EXPECT_DOUBLE_EQ(r, 5.125);
    EXPECT_DOUBLE_EQ(w, 6.125);
    EXPECT_DOUBLE_EQ(h, 1.0625);
    EXPECT_EQ(toolkitControlWidget("VANTOR", 0)->size(), QSize(970, 503));
    GN_RESIZEC("VANTOR", 195, 1, 2, 3, 4);
    GN_GETSIZEC("VANTOR", 195, c, r, w, h);
    EXPECT_EQ(toolkitControlWidget("VANTOR", 195)->geometry(), QRect(8, 32, 24, 64));
    EXPECT_EQ(GN_GETSIZEC("VANTOR", 999, c, r, w, h), 0);
    EXPECT_EQ(c, 0);
    EXPECT_DOUBLE_EQ(GN_CX(36), 4.5);
    EXPECT_DOUBLE_EQ(GN_CY(24), 1.5);
}

TEST_F(Controls, FormsMoveAndSizeInCellsAndRememberTheirLastPlace)
{
    makeForm("DRAGFORM", nullptr, 9, 3, "T");
    GN_RESIZEFORM("DragForm", 10, 5, 9, 3, -1);
    double c, r, w, h;
    ASSERT_EQ(GN_GETSIZE("DRAGFORM", c, r, w, h), 1);
    EXPECT_DOUBLE_EQ(c, 10);
    EXPECT_DOUBLE_EQ(r, 5);
    EXPECT_DOUBLE_EQ(w, 9);
    EXPECT_DOUBLE_EQ(h, 3);
    GN_RESIZEFORM("DragForm", 12.5, 6, -1, -1, -1);
    GN_GETSIZE("DRAGFORM", c, r, w, h);
    EXPECT_DOUBLE_EQ(c, 12.5);
    EXPECT_DOUBLE_EQ(w, 9);
    GN_UNLOADFORM("DRAGFORM");
    EXPECT_EQ(GN_GETSIZE("DRAGFORM", c, r, w, h), 0);
    EXPECT_DOUBLE_EQ(c, 12.5);
    EXPECT_DOUBLE_EQ(h, 3);
    EXPECT_EQ(GN_GETSIZE("NEVERMADE", c, r, w, h), 0);
    EXPECT_EQ(w, 0);
}

TEST_F(Controls, BackgroundKindsStayBelowTheControlsOnTop)
{
    makeForm("FINDVANTOR", [] {
        GN_LABEL(100, 0.25, 1.375, 27.5, 1.3125, "Searching for Vantor", "CI");
        GN_LABEL(595, 20, 3, 3, 5, "", "CS");
        GN_VSCROLLBAR(590, 20.25, 3.125, 2.25, 4.75, "", "");
        GN_PICTURE(665, 5, 5, 8.25, 3.375, "$ICONKEY", "A");
        GN_CANVAS(610, 6, 5.5, 6.25, 2, "", "");
        GN_FRAME(360, 0, 0, 30, 12, "Selected Button", "");
        GN_TABCONTROL(835, 0, 0, 40, 12, "Button Assignment|Icon Editor", "OT");
        GN_TURTLEPICTURE(105, 0, 0, 41, 12, "V1;U1;G20,30,3;", "");
    });
    QWidget* client = toolkitControlWidget("FINDVANTOR", 0);
    EXPECT_EQ(client->childAt(40, 30), toolkitControlWidget("FINDVANTOR", 100));
    EXPECT_EQ(client->childAt(170, 80), toolkitControlWidget("FINDVANTOR", 590));
    EXPECT_EQ(client->childAt(60, 100), toolkitControlWidget("FINDVANTOR", 610));
    // The tab control lowest (its pages hold the rest), the turtle picture on its page.
    EXPECT_EQ(client->childAt(300, 150), toolkitControlWidget("FINDVANTOR", 105));
    const QObjectList order = client->children();
    const auto at = [&](int id) { return order.indexOf(toolkitControlWidget("FINDVANTOR", id)); };
    EXPECT_LT(at(835), at(105));
    EXPECT_LT(at(105), at(360));
    EXPECT_LT(at(360), at(665));
    EXPECT_LT(at(665), at(100));
    EXPECT_LT(at(100), at(610));
}

TEST_F(Controls, TooltipTextComesFromTheHandlerOfCode8)
{
    makeForm("VANTOR", [] {
        GN_LABEL(205, 1, 1, 20, 2.25, "", "ALS");
        GN_ADDTOOLTIP("VANTOR", 205);
        GN_CANVAS(370, 1, 4, 20, 5, "", "S{DIB}");
        GN_ADDTOOLTIP("VANTOR", 370);
        GN_LABEL(210, 1, 10, 20, 2.25, "", "ALS");
    });
    handler = [](const std::string&, int id, int code, std::intptr_t, int&) {
        if (code != 8)
            return;
        if (id == 205)
            GN_SETTOOLTIP("Click to edit Button On Message");
        if (id == 370)
            GN_SETTOOLTIP("Left Mouse Key Down to Draw|Right Mouse Key Down to Erase");
    };
    EXPECT_EQ(toolkitTooltipText("VANTOR", 205), "Click to edit Button On Message");
    EXPECT_EQ(toolkitTooltipText("vantor", 370), "Left Mouse Key Down to Draw|Right Mouse Key Down to Erase");
    events.clear();
    EXPECT_EQ(toolkitTooltipText("VANTOR", 210), "");
    EXPECT_TRUE(events.empty());
    // A real hover asks the handler as well.
    QWidget* w = toolkitControlWidget("VANTOR", 205);
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), w->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w, &help);
    EXPECT_EQ(count(205, 8), 1);
}

TEST_F(Controls, SubclassedCanvasRaisesRawMessagesBeforeItsCodes)
{
    makeForm("VANTOR", [] {
        GN_SUBCLASS(2);
        GN_CANVAS(370, 1, 1, 45.5, 15.25, "", "S{DIB}");
        GN_SUBCLASS(0);
        GN_CANVAS(365, 50, 1, 9.625, 3.3125, "", "S");
    });
    QWidget* c = toolkitControlWidget("VANTOR", 370);
    events.clear();
    QTest::mousePress(c, Qt::RightButton, Qt::NoModifier, QPoint(25, 17));
    EXPECT_EQ(GN_MOUSEX(), 23); // inside the 2-pixel border
    EXPECT_EQ(GN_MOUSEY(), 15);
    QTest::mouseRelease(c, Qt::RightButton, Qt::NoModifier, QPoint(25, 17));
    QTest::mousePress(c, Qt::LeftButton, Qt::NoModifier, QPoint(12, 12));
    QTest::mouseRelease(c, Qt::LeftButton, Qt::NoModifier, QPoint(12, 12));
    std::vector<std::pair<int, std::intptr_t>> seen;
    for (const auto& e : events)
        if (e.id == 370)
            seen.push_back({e.code, e.code == 99 ? e.value : 0});
    const std::vector<std::pair<int, std::intptr_t>> want{{99, 516}, {123, 0}, {99, 517}, {95, 0},
                                                          {99, 513}, {1, 0},   {99, 514}, {90, 0}};
    EXPECT_EQ(seen, want);
    // Cancel on code 99 keeps the ordinary code from being raised.
    handler = [](const std::string&, int, int code, std::intptr_t, int& cancel) {
        if (code == 99)
            cancel = 1;
    };
    events.clear();
    QTest::mousePress(c, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    EXPECT_EQ(count(370, 1), 0);
    EXPECT_EQ(count(370, 99), 1);
    QTest::mouseRelease(c, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    handler = nullptr;
    // Not subclassed: no code 99.
    events.clear();
    QTest::mousePress(toolkitControlWidget("VANTOR", 365), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QTest::mouseRelease(toolkitControlWidget("VANTOR", 365), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(codes("VANTOR", 365), (std::vector<int>{1, 90}));
}

TEST_F(Controls, CanvasMouseMovesRaise120WithThePosition)
{
    makeForm("VANTOR", [] { GN_CANVAS(370, 1, 1, 20, 5, "", ""); });
    QWidget* c = toolkitControlWidget("VANTOR", 370);
    events.clear();
    QMouseEvent move(QEvent::MouseMove, QPointF(33, 21), c->mapToGlobal(QPointF(33, 21)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(c, &move);
    EXPECT_EQ(count(370, 120), 1);
    EXPECT_EQ(GN_MOUSEX(), 33);
    EXPECT_EQ(GN_MOUSEY(), 21);
    GN_ALLOWMOUSEMOVEEVENTS(0);
    QApplication::sendEvent(c, &move);
    EXPECT_EQ(count(370, 120), 1);
    GN_ALLOWMOUSEMOVEEVENTS(1);
}

TEST_F(Controls, PicturesRaiseCode1AndCode2AndMissingPicturesStayEmpty)
{
    makeForm("VANTOR", [] {
        GN_PICTURE(570, 4.5, 25, 2.375, 2.375, "$ROTRIGHT", "A");
        GN_PICTURE(571, 10, 10, 2, 2, "$NO_SUCH_PICTURE", "");
    });
    QWidget* p = toolkitControlWidget("VANTOR", 570);
    events.clear();
    QTest::mouseClick(p, Qt::LeftButton);
    QTest::mouseClick(p, Qt::RightButton);
    EXPECT_EQ(count(570, 1), 1);
    EXPECT_EQ(count(570, 2), 1);
    EXPECT_NE(toolkitControlWidget("VANTOR", 571), nullptr);
    EXPECT_EQ(GN_LOADPICTURE("$NO_SUCH_PICTURE"), 0);
}

TEST_F(Controls, OwnerButtonClicksAndRightReleases)
{
    makeForm("VANTOR", [] { GN_OWNERBUTTON(335, 1, 1, 14.625, 1.375, "'On' Message (Hex)", "T"); });
    QWidget* b = toolkitControlWidget("VANTOR", 335);
    events.clear();
    QTest::mouseClick(b, Qt::LeftButton);
    QTest::mouseClick(b, Qt::RightButton);
    EXPECT_EQ(count(335, 1), 1);
    EXPECT_EQ(count(335, 95), 1);
    EXPECT_EQ(GN_GETTEXT("VANTOR", 335), "'On' Message (Hex)");
    GN_SETTEXT("VANTOR", 335, "'On' Message");
    EXPECT_EQ(GN_GETTEXT("VANTOR", 335), "'On' Message");
}

TEST_F(Controls, MakingAControlTwiceOrWithoutAFormFails)
{
    EXPECT_EQ(GN_LABEL(1, 0, 0, 1, 1, "", ""), 0); // no form yet
    makeForm("VANTOR", [] {
        EXPECT_NE(GN_LABEL(100, 0, 0, 1, 1, "a", ""), 0);
        EXPECT_EQ(GN_LABEL(100, 0, 0, 1, 1, "b", ""), 0);
    });
    EXPECT_EQ(GN_GETTEXT("VANTOR", 100), "a");
    // Outside design the makers act on the form made last.
    EXPECT_NE(GN_CANVAS(105, 1, 1, 2, 2, "", ""), 0);
    EXPECT_NE(GN_HANDLE("VANTOR", 105), 0);
}

TEST_F(Controls, HandlersMayUnloadTheirOwnFormFromAnyEvent)
{
    handler = [](const std::string& form, int, int code, std::intptr_t, int& cancel) {
        if (code == 300 || code == 320 || code == 99 || code == 6 || code == 407)
            GN_UNLOADFORM(form);
        cancel = 0;
    };
    makeForm("A", [] { GN_OWNERBUTTON(100, 0, 0, 8, 2, "x", ""); });
    QWidget* b = toolkitControlWidget("A", 100);
    b->grab();
    EXPECT_EQ(GN_HANDLE("A"), 0);
    makeForm("B", [] { GN_TABCONTROL(835, 0, 0, 30, 10, "One|Two", "OT"); });
    toolkitControlWidget("B", 835)->grab();
    EXPECT_EQ(GN_HANDLE("B"), 0);
    makeForm("C", [] {
        GN_SUBCLASS(2);
        GN_CANVAS(370, 0, 0, 10, 5, "", "S{DIB}");
        GN_SUBCLASS(0);
    });
    QTest::mousePress(toolkitControlWidget("C", 370), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(GN_HANDLE("C"), 0);
    makeForm("D", [] { GN_TEXTFIELD(600, 0, 0, 5, 1, "1", ""); });
    GN_SETTEXT("D", 600, "2");
    EXPECT_EQ(GN_HANDLE("D"), 0);
    EXPECT_EQ(GN_GETTEXT("D", 600), "");
    makeForm("E", nullptr);
    GN_STARTTHREAD("E", 5015, 1);
    EXPECT_TRUE(waitFor([] { return GN_HANDLE("E") == 0; }));
    GN_DOEVENTS();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
