// The main form driven headless: its controls, layers, menus, tooltips, tabs,
// accelerators, routing and its close sequence.
#include "shell_test_support.h"

#include "shell/handlers.h"
#include "shell/main_form_names.h"
#include "toolkit/event_codes.h"
#include "shell/line_monitor_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cmath>
#include <fstream>
#include <optional>
#include <map>
#include <set>

namespace vantor::test {
namespace {

struct Expected {
    int id;
    const char* caption; // nullptr: the control shows no text of its own
    double col, row, w, h; // w, h -1: the size is the toolkit's
};

// The main form's controls and their places once start-up is over, in cells.
std::vector<Expected> expectedControls()
{
    std::vector<Expected> v = {
        // Layer 1, "Button Assignment".
        {360, "Selected Button", 36.875, 2.375, 31, 11.375},
        {150, "Button #", 38.75, 3.6875, 6.375, 1.0625},
        {155, "Bank", 47.625, 3.6875, 6.375, 1.0625},
        {160, "Radio Group", 57.125, 3.6875, 8.625, 1.0625},
        {195, "1", 38.875, 5.125, 6.125, 1.0625},
        {200, "1", 48.5, 5.125, 6.125, 1.0625},
        {225, "0", 58.25, 5.125, 6.125, 1.0625},
        {235, nullptr, 64.375, 4.75, 2.125, 2},
        {130, "Button On Color", 38.875, 7.5625, 11.75, 1.0625},
        {135, "Button Off Color", 54.625, 7.5625, 11.75, 1.0625},
        {245, "Dark Green", 38.5, 8.6875, 11.75, 9.5},
        {250, "Dark Green", 54.625, 8.6875, 11.75, 9.5},
        {215, "Momentary", 40.75, 11.5625, 9.125, 1.25},
        {220, "Latched", 55.375, 11.625, 9.125, 1.25},
        {355, "LCD Button Display Type", 36.625, 14.5, 31, 4.75},
        {240, "Text", 40.375, 15.875, 8.625, 0.875},
        {265, "Large ASCII", 40.375, 17.5625, 9.25, 0.875},
        {255, "ROM Icon", 56.125, 15.875, 8.625, 0.875},
        {260, "RAM Icon", 56.125, 17.5625, 8.625, 0.875},
        {335, "'On' Message (Hex)", 3.125, 2.75, 14.625, 1.375},
        {290, "Long 'On' Message", 21.375, 2.9375, 13.875, 1},
        {205, "", 3.125, 4.4375, 32.125, 2.25},
        {230, "'Off' Message (Hex)", 3.125, 7, 14.625, 1.375},
        {210, "", 3.125, 8.6875, 32.125, 2.25},
        {350, nullptr, 3.125, 11.375, 32.125, 7.9375},
        {140, "Button On Text", 6.375, 12.1875, 10.125, 1.0625},
        {145, "Button Off Text", 22.125, 12.1875, 10.125, 1.0625},
        {100, "Line 1", 5.125, 13.1875, 5, 1.0625},
        {105, "Line 2", 5.125, 15.1875, 5, 1.0625},
        {110, "Line 3", 5.125, 17.375, 5, 1.0625},
        {115, "Line 1", 20.875, 13.1875, 5, 1.0625},
        {120, "Line 2", 20.875, 15.25, 5, 1.0625},
        {125, "Line 3", 20.875, 17.375, 5, 1.0625},
        {165, "", 9.125, 13.125, 6.75, 1.1875},
        {170, "", 9.125, 15.125, 6.75, 1.1875},
        {175, "", 9.125, 17.3125, 6.75, 1.1875},
        {180, "", 24.875, 13.125, 6.75, 1.1875},
        {185, "", 24.875, 15.1875, 6.75, 1.1875},
        {190, "", 24.875, 17.3125, 6.75, 1.1875},
        {270, "Large ASCII Button On", 4.5, 12.1875, 13.75, 1.0625},
        {275, "Large ASCII Button Off", 20.375, 12.1875, 13.75, 1.0625},
        {280, "", 12.75, 14.125, 4.375, 2.8125},
        {285, "", 28.625, 14.125, 4.375, 2.8125},
        {305, "ROM Icon On #", 6.5, 12.1875, 9.875, 1.0625},
        {310, "ROM Icon Off #", 22.25, 12.1875, 9.875, 1.0625},
        {325, "RAM Icon On #", 6.5, 12.1875, 9.875, 1.0625},
        {330, "RAM Icon Off #", 22.25, 12.1875, 9.875, 1.0625},
        {295, "", 12.75, 14.125, 5.125, 2.8125},
        {315, "", 12.75, 14.125, 5.125, 2.8125},
        {300, "", 28.625, 14.125, 5.125, 2.8125},
        {320, "", 28.625, 14.125, 5.125, 2.8125},
        {340, "Assign", 5, 14.625, 6.125, 1.8125},
        {345, "Assign", 20.875, 14.625, 6.125, 1.8125},
        // Layer 2, "Icon Editor".
        {415, "Icon Drawing Canvas", 2.5, 2.375, 45.25, 0.8125},
        {370, nullptr, 2.625, 4, 45.5, 15.25},
        {365, nullptr, 53.25, 2.625, 9.625, 3.3125},
        {375, "&Clear", 53.125, 6.3125, 9.75, 1.9375},
        {405, "Save to|RAM Icon", 53.125, 8.6875, 9.75, 2.3125},
        {410, "Copy|Lib Icon", 55.25, 8.8125, 7.25, 2},
        {380, "Pixels", 50.875, 11.5, -1, -1},
        {385, "Lines", 57.875, 11.5, -1, -1},
        {390, "Ellipse", 50.875, 13.3125, -1, -1},
        {395, "Rectangle", 57.875, 13.3125, -1, -1},
        {465, "Fill Shape", 50.875, 15.125, 11.625, 1.125},
        {400, "Invert", 50.25, 17.25, 5.125, 2},
        {455, "Flip", 56.125, 17.25, 5.125, 2},
        {460, "Mirror", 62, 17.25, 5.125, 2},
        {420, nullptr, 25.625, 3.5625, 1.125, 1.0625},
        {425, nullptr, 25.625, 18.5625, 1.125, 1.0625},
        {430, nullptr, 45.875, 12, 2.875, 0.5625},
        {435, nullptr, 1.75, 12, 2.875, 0.5625},
        {440, nullptr, 62, 9.8125, 3.625, 0.5625},
        {445, nullptr, 65.625, 6.5625, 1.125, 3.3125},
        {450, nullptr, 65.75, 6.5625, 2.125, 0.5625},
        {470, "4", 66, 5.5625, 2.875, 1.8125},
        // Layer 0.
        {835, nullptr, 1.25, 0.625, 67.75, 19.75},
        {830, "Icon Library Display", 71.125, 1, 48.75, 3.25},
        {575, "ROM Icons", 73.25, 2.25, 9.25, 1.1875},
        {580, "RAM Icons", 85.625, 2.25, 9.25, 1.1875},
        {585, "Large ASCII", 98, 2.25, 9.25, 1.1875},
        {600, "1", 113.625, 2.25, 5, 1.25},
        {605, nullptr, 71.125, 4.8125, 45.5, 15.25},
        {590, nullptr, 117.25, 4.875, 2.25, 15.125},
        {595, "", 117, 4.8125, 2.875, 15.25},
        {825, nullptr, 74.875, 12.5625, 9, 3},
        {820, nullptr, 1.875, 20.8125, 116.75, 9.875},
        {660, nullptr, 33.5, 21.8125, 8.25, 3.375},
        {765, nullptr, 33.5, 26.3125, 8.25, 3.375},
        {480, "F1     F2      B1    B2   B3    B4", 8.25, 26.375, 24.5, 1.4375},
        {485, "F3     F4      B5    B6   B7    B8", 8.125, 28.9375, 24.5, 1.4375},
        {490, "Shift", 2.5, 28.9375, 4.375, 1.4375},
        {540, nullptr, 7.875, 25.1875, 2.75, 1.25},
        {545, nullptr, 12.75, 25.1875, 2.75, 1.25},
        {550, nullptr, 7.875, 27.75, 2.75, 1.25},
        {555, nullptr, 12.75, 27.75, 2.75, 1.25},
        {560, nullptr, 3.25, 27.75, 2.75, 1.25},
        {565, nullptr, 2.875, 25.0625, 1.625, 2.3125},
        {570, nullptr, 4.5, 25, 2.375, 2.375},
    };
    const double upper[] = {34.5, 42.875, 51.375, 59.75, 68.125, 76.5, 84.875, 93.25, 101.625, 110};
    const double lower[] = {34.5, 42.875, 51.25, 59.625, 68, 76.375, 84.75, 93.125, 101.5, 109.875};
    for (int k = 0; k < 10; ++k) {
        v.push_back({610 + 5 * k, nullptr, upper[k], 22.5, 6.25, 2});
        v.push_back({715 + 5 * k, nullptr, lower[k], 27.0625, 6.25, 2});
        v.push_back({665 + 5 * k, nullptr, 33.5 + 8.375 * k, k == 0 ? 21.875 : 21.8125, 8.25, 3.375});
        v.push_back({770 + 5 * k, nullptr, 33.5 + 8.375 * k, 26.3125, 8.25, 3.375});
    }
    const double bankCols[] = {17.625, 21.75, 25.75, 29.75};
    for (int k = 0; k < 8; ++k)
        v.push_back({500 + 5 * k, nullptr, bankCols[k % 4], k < 4 ? 25.1875 : 27.75, 2.75, 1.25});
    return v;
}

TEST_F(MainFormTest, EveryControlOfTheTablesExistsWithItsCaptionAndPlace)
{
    const auto expected = expectedControls();
    EXPECT_EQ(expected.size(), 146u);
    for (const Expected& e : expected) {
        SCOPED_TRACE("control " + std::to_string(e.id));
        ASSERT_NE(GN_HANDLE(form, e.id), 0);
        double col = -1, row = -1, w = -1, h = -1;
        ASSERT_EQ(GN_GETSIZEC(form, e.id, col, row, w, h), 1);
        // One pixel is 1/8 of a column and 1/16 of a row.
        EXPECT_NEAR(col, e.col, 0.13);
        EXPECT_NEAR(row, e.row, 0.07);
        if (e.w >= 0) {
            EXPECT_NEAR(w, e.w, 0.13);
        }
        // A combo box's height in the table is that of its opened list; closed it
        // is one line high.
        if (e.h >= 0 && e.id != 245 && e.id != 250) {
            EXPECT_NEAR(h, e.h, 0.07);
        }
        if (e.caption) {
            EXPECT_EQ(GN_GETTEXT(form, e.id), e.caption);
        }
    }
    EXPECT_EQ(GN_GETTEXT(form, 0), "Orbel-Lumio/Vantor/Stratiq Macro Editor by Halvern Devices");
    double col, row, w, h;
    GN_GETSIZE(form, col, row, w, h);
    EXPECT_NEAR(w, 121.25, 0.13);
    EXPECT_NEAR(h, 31.4375 + 1.25, 0.07) << "the panel area and the status strip below it";
}

TEST_F(MainFormTest, NoControlBeyondTheTables)
{
    const auto expected = expectedControls();
    std::set<int> ids;
    for (const Expected& e : expected)
        ids.insert(e.id);
    ids.insert(475);
    ids.insert(495);
    for (int id = 100; id <= 835; id += 5)
        EXPECT_EQ(GN_HANDLE(form, id) != 0, ids.count(id) == 1) << "control " << id;
}

TEST_F(MainFormTest, StartUpTicksHidesAndShows)
{
    EXPECT_EQ(GN_GETCHECK(form, 240), 1);
    EXPECT_EQ(GN_GETCHECK(form, 575), 1);
    EXPECT_EQ(GN_GETCHECK(form, 215), 1);
    EXPECT_EQ(GN_GETCHECK(form, 380), 1);
    EXPECT_EQ(GN_GETCHECK(form, 500), 1);
    EXPECT_EQ(GN_GETCHECK(form, 505), 0);
    for (int id = 270; id <= 330; id += 5) {
        if (id != 290) {
            EXPECT_EQ(GN_ISVISIBLE(form, id), 0) << id;
        }
    }
    EXPECT_EQ(GN_ISVISIBLE(form, 290), 1);
    for (int id : {340, 345, 410})
        EXPECT_EQ(GN_ISVISIBLE(form, id), 0) << id;
    for (int id : {100, 105, 110, 115, 120, 125, 140, 145, 165, 170, 175, 180, 185, 190})
        EXPECT_EQ(GN_ISVISIBLE(form, id), 1) << id;
    EXPECT_EQ(GN_GETTEXT(form, 600), "1");
    EXPECT_EQ(GN_GETUPDOWN(form, 235), 0);
    EXPECT_EQ(GN_GETVSCROLL(form, 590), 1);
    EXPECT_EQ(shellFlags().selectedButton, 770);
    EXPECT_EQ(shellFlags().previousButton, 770);
    EXPECT_EQ(shellFlags().isLoading, 0);
    EXPECT_EQ(shellFlags().definitionsChanged, 0);
    EXPECT_EQ(shellFlags().debugMode, 0);
    EXPECT_EQ(GN_COLORVALUE(50), 0xCE5C02);
    EXPECT_EQ(GN_COLORVALUE(51), 0xFF8040);
    EXPECT_EQ(GN_COLORVALUE(52), 0xFF4020);
    EXPECT_EQ(GN_COLORVALUE(36), 0xFF6FB9);
    EXPECT_EQ(GN_COLORVALUE(43), 0x8944DD);
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainFormTest, PageOneIsShownFirst)
{
    EXPECT_EQ(GN_GETTABSEL(form, 835), 1);
    for (int id : {360, 335, 290, 205, 350, 355, 240})
        EXPECT_EQ(GN_ISVISIBLE(form, id), 1) << id;
    for (int id : {370, 365, 375, 405, 415, 465, 470})
        EXPECT_EQ(GN_ISVISIBLE(form, id), 0) << id;
    for (int id : {820, 835, 600, 605, 610, 770, 540})
        EXPECT_EQ(GN_ISVISIBLE(form, id), 1) << id;
}

// Clicks tab `n` (from 1) of the tab control as the user would.
void clickTab(const std::string& form, int n)
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

// Picks a menu item through the form's menu bar, by the captions on the way.
bool pickMenu(const std::string& form, const QString& menu, const QString& item)
{
    QWidget* window = toolkitFormWidget(form);
    if (!window)
        return false;
    QMenuBar* bar = window->findChild<QMenuBar*>();
    if (!bar)
        return false;
    for (QAction* top : bar->actions()) {
        if (top->text() != menu)
            continue;
        if (item.isEmpty()) {
            top->trigger();
            GN_DOEVENTS(255);
            return true;
        }
        if (!top->menu())
            return false;
        for (QAction* a : top->menu()->actions()) {
            if (a->text() == item) {
                a->trigger();
                GN_DOEVENTS(255);
                return true;
            }
        }
    }
    return false;
}

// Where each menu item sits: (bar caption, item caption); item "" = the bar item itself.
std::pair<QString, QString> menuPlace(int id)
{
    static const std::map<int, std::pair<QString, QString>> places = {
        {9000, {"&Files", ""}},
        {9005, {"&Files", "&Load Keys"}},
        {9010, {"&Files", "&Revert"}},
        {9015, {"&Files", "&Save"}},
        {9020, {"&Files", "Save &As"}},
        {9030, {"&Files", "Load Ram Icons"}},
        {9035, {"&Files", "Revert Ram Icons"}},
        {9040, {"&Files", "Save Ram Icons"}},
        {9045, {"&Files", "Save Ram Icons As"}},
        {9055, {"&Files", "E&xit"}},
        {9100, {"&Setup", ""}},
        {9105, {"&Setup", "&Rescan For Vantor"}},
        {9110, {"&Setup", "&Keyboard Mode"}},
        {9115, {"&Setup", "&Emulation Mode"}},
        {9120, {"&Setup", "Read Everything &Again"}},
        {9200, {"&Help", ""}},
        {9205, {"&Help", "&Contents\tF1"}},
        {9210, {"&Help", "&About"}},
    };
    return places.at(id);
}

// Picks the menu item `id` through the menu bar of the main form.
void pick(int id)
{
    const auto [menu, item] = menuPlace(id);
    ASSERT_TRUE(pickMenu("VANTOR", menu, item)) << id;
}

std::vector<int> panelPictureIds()
{
    std::vector<int> ids;
    for (int id = 500; id <= 570; id += 5)
        ids.push_back(id);
    for (int id = 610; id <= 815; id += 5)
        ids.push_back(id);
    return ids;
}

TEST_F(MainFormTest, IconEditorTabDisablesThePanelPictureAndButtonAssignmentEnablesIt)
{
    clickTab(form, 2);
    EXPECT_TRUE(wasRouted("tab", 835, 6));
    EXPECT_EQ(GN_GETTABSEL(form, 835), 2);
    for (int id : panelPictureIds())
        EXPECT_EQ(GN_ISENABLED(form, id), 0) << id;
    for (int id : {575, 580, 585, 590, 600, 605})
        EXPECT_EQ(GN_ISENABLED(form, id), 1) << id;
    EXPECT_EQ(GN_ISVISIBLE(form, 370), 1);
    EXPECT_EQ(GN_ISVISIBLE(form, 360), 0);

    clickTab(form, 1);
    EXPECT_EQ(GN_GETTABSEL(form, 835), 1);
    for (int id : panelPictureIds())
        EXPECT_EQ(GN_ISENABLED(form, id), 1) << id;
    EXPECT_EQ(GN_ISVISIBLE(form, 370), 0);
    EXPECT_EQ(GN_ISVISIBLE(form, 360), 1);
}

TEST_F(MainFormTest, IconEditorPageIsDrawnInTheWindow)
{
    const QString file = QDir::temp().filePath("vantor-shell-test-page2.png");
    clickTab(form, 2);
    ASSERT_EQ(GN_GRABFORM(form, file.toStdString()), 1);
    QImage page(file);
    if (qgetenv("VANTOR_KEEP_TEST_PICTURES").isEmpty())
        QFile::remove(file);
    ASSERT_FALSE(page.isNull());
    const int top = page.height() - 503 - 20; // below a menu bar, if the picture holds one; above the strip
    // The drawing canvas (0 on 0) is black in the middle; the form around it is colour 7.
    EXPECT_EQ(page.pixel(2.625 * 8 + 180, top + 4 * 16 + 120) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(GN_GETPIXEL(form, 370, 10, 10), 0u);
    // The panel face is the same picture on both pages.
    QImage face(":/pictures/VANTOR5.png");
    EXPECT_EQ(page.pixel(15 + 100, top + 333 + 20), face.pixel(100, 20));
}

TEST_F(MainFormTest, MenuHasEveryItemWithItsCaption)
{
    const std::vector<std::pair<int, std::string>> items = {
        {9000, "&Files"}, {9005, "&Load Keys"}, {9010, "&Revert"}, {9015, "&Save"}, {9020, "Save &As"},
        {9030, "Load Ram Icons"}, {9035, "Revert Ram Icons"}, {9040, "Save Ram Icons"},
        {9045, "Save Ram Icons As"}, {9055, "E&xit"}, {9100, "&Setup"}, {9105, "&Rescan For Vantor"},
        {9110, "&Keyboard Mode"}, {9115, "&Emulation Mode"}, {9120, "Read Everything &Again"}, {9200, "&Help"},
        {9205, "&Contents\tF1"}, {9210, "&About"},
    };
    for (const auto& [id, caption] : items) {
        EXPECT_EQ(menuItemCaption(id), caption) << id;
        EXPECT_EQ(menuItemEnabled(id), 1) << id;
        EXPECT_EQ(menuItemChecked(id), 0) << id;
    }
    EXPECT_EQ(menuItemCaption(9025), "-");
    EXPECT_EQ(menuItemCaption(9050), "-");
    EXPECT_NE(GN_GETMENU(form, 0), 0);
    EXPECT_NE(GN_GETMENU(form, 1), 0);
    EXPECT_NE(GN_GETMENU(form, 2), 0);
    EXPECT_NE(GN_GETMENU(form, 3), 0);
}

TEST_F(MainFormTest, MenuPicksReachTheirCommands)
{
    for (int id : {9000, 9005, 9010, 9015, 9020, 9030, 9035, 9040, 9045, 9100, 9200}) {
        routed.clear();
        pick(id);
        GN_DOEVENTS(255);
        EXPECT_TRUE(wasRouted("menu", id, 1)) << id;
    }
    EXPECT_TRUE(messages.empty());
    pick(9210);
    GN_DOEVENTS(255);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "About");
    EXPECT_EQ(messages[0].text, "Orbel-Lumio/Vantor/Stratiq Macro Editor");
}

TEST_F(MainFormTest, KeyboardModeFlipsAndEmulationModeSaysWhatToConnect)
{
    pick(9110);
    GN_DOEVENTS(255);
    EXPECT_EQ(shellFlags().keyboardMode, 1);
    pick(9110);
    GN_DOEVENTS(255);
    EXPECT_EQ(shellFlags().keyboardMode, 0);
    EXPECT_TRUE(messages.empty());

    // The baud-rate dialog is modal: Enter confirms it once it is up.
    const auto confirmBaudDialog = [] {
        QTimer::singleShot(0, [] { QTest::keyClick(toolkitFormWidget("BAUDRATE"), Qt::Key_Return); });
    };
    confirmBaudDialog();
    pick(9115);
    GN_DOEVENTS(255);
    EXPECT_EQ(shellFlags().emulationMode, 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], (Message{"Halvern Devices", "Connect Computer to Device"}));
    for (int i = 0; i < 2; ++i) {
        pick(9115);
        GN_DOEVENTS(255);
        EXPECT_EQ(shellFlags().emulationMode, 0);
        EXPECT_EQ(messages.back(), (Message{"Halvern Devices", "Connect Computer to Vantor"}));
        if (i == 0) {
            confirmBaudDialog();
            pick(9115);
            GN_DOEVENTS(255);
        }
    }
    EXPECT_EQ(messages.size(), 4u);
}

TEST_F(MainFormTest, TooltipsAnswerTheirTexts)
{
    EXPECT_EQ(toolkitTooltipText(form, 205), "Click to edit Button On Message");
    EXPECT_EQ(toolkitTooltipText(form, 210), "Click to edit Button Off Message");
    EXPECT_EQ(toolkitTooltipText(form, 370),
              "Left Mouse Key Down to Draw|Right Mouse Key Down to Erase|Ctrl Arrow Keys to Move Image");
    // The tooltip request still reaches the owners of the controls.
    EXPECT_TRUE(wasRouted("editor", 205, 8));
    EXPECT_TRUE(wasRouted("drawing", 370, 8));
}

TEST_F(MainFormTest, UpAndDownStepTheCurrentIconNumber)
{
    ASSERT_EQ(GN_GETTEXT(form, 600), "1");
    GN_SENDMESSAGE(form, kIconUpKeyId, 1, 0);
    EXPECT_EQ(GN_GETTEXT(form, 600), "1");
    GN_SENDMESSAGE(form, kIconDownKeyId, 1, 0);
    EXPECT_EQ(GN_GETTEXT(form, 600), "2");
    GN_SENDMESSAGE(form, kIconDownKeyId, 1, 0);
    EXPECT_EQ(GN_GETTEXT(form, 600), "3");
    GN_SENDMESSAGE(form, kIconUpKeyId, 1, 0);
    EXPECT_EQ(GN_GETTEXT(form, 600), "2");
    // Only code 1 moves it.
    GN_SENDMESSAGE(form, kIconUpKeyId, 410, 0);
    EXPECT_EQ(GN_GETTEXT(form, 600), "2");
    // Written back as a plain number, without a leading blank.
    GN_SETTEXT(form, 600, " 7");
    GN_SENDMESSAGE(form, kIconDownKeyId, 1, 0);
    EXPECT_EQ(GN_GETTEXT(form, 600), "8");
}

TEST_F(MainFormTest, LineMonitorOpensFromTheSetupMenuAndWithCtrlM)
{
    EXPECT_EQ(menuItemCaption(9125), "Line &Monitor\tCtrl+M");
    ASSERT_TRUE(pickMenu(form, "&Setup", "Line &Monitor\tCtrl+M"));
    GN_DOEVENTS(255);
    ASSERT_TRUE(linemonitor::lineMonitorOpen());
    EXPECT_EQ(linemonitor::lineMonitorWidget()->windowTitle(), "Line Monitor");
    EXPECT_FALSE(linemonitor::lineMonitorWidget()->isModal());
    linemonitor::closeLineMonitor();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(linemonitor::lineMonitorOpen());
    QWidget* window = toolkitFormWidget(form);
    window->activateWindow();
    QTest::keyClick(window, Qt::Key_M, Qt::ControlModifier);
    GN_DOEVENTS(255);
    EXPECT_TRUE(linemonitor::lineMonitorOpen());
    linemonitor::closeLineMonitor();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(MainFormTest, OwnerDrawnButtonsOfTheWindowArePaintedByThePainter)
{
    setScreenDepthOverride(32);
    clickTab(form, 2);
    QWidget* clear = toolkitControlWidget(form, 375);
    QWidget* save = toolkitControlWidget(form, 405);
    ASSERT_NE(clear, nullptr);
    ASSERT_NE(save, nullptr);
    const QImage a = clear->grab().toImage();
    const QImage b = save->grab().toImage();
    ASSERT_EQ(a.size(), QSize(78, 31));
    ASSERT_EQ(b.size(), QSize(78, 37));
    // 78 x 31, style 0: s = 1270 / 78 = 16, a = 2, d = 80: 8 darker per row from row 15.
    EXPECT_EQ(a.pixel(4, 15) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(a.pixel(4, 14) & 0xFFFFFF, 0xF7F7F7u);
    EXPECT_EQ(a.pixel(4, 17) & 0xFFFFFF, 0xEFEFEFu);
    // "Save to|RAM Icon" in style 1: red and green lose d + h = 120, blue d = 80 per row.
    EXPECT_EQ(b.pixel(4, 18) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(b.pixel(4, 17) & 0xFFFFFF, 0xF3F3F7u);
    EXPECT_EQ(b.pixel(4, 20) & 0xFFFFFF, 0xE7E7EFu);
}

TEST_F(MainFormTest, TabItemsAndBackgroundArePaintedInColourSeven)
{
    QWidget* tabs = toolkitControlWidget(form, 835);
    ASSERT_NE(tabs, nullptr);
    const QImage img = tabs->grab().toImage();
    // Inside the first tab item, left of its caption, and the page below the tabs.
    EXPECT_EQ(img.pixel(6, 10) & 0xFFFFFF, 0xC0C0C0u);
    EXPECT_EQ(img.pixel(200, 200) & 0xFFFFFF, 0xC0C0C0u);
    // The caption is printed in colour 0 somewhere in the first item.
    const QFontMetrics fm(tabs->font());
    int dark = 0;
    for (int y = 0; y < fm.height() + 8; ++y)
        for (int x = 2; x < 2 + fm.horizontalAdvance("Button Assignment") + 24; ++x)
            dark += (img.pixel(x, y) & 0xFFFFFF) == 0 ? 1 : 0;
    EXPECT_GT(dark, 20);
}

TEST_F(MainFormTest, CtrlArrowsMoveTheDrawingOnlyOnTheIconEditorTab)
{
    for (int id : {kMoveUpKeyId, kMoveDownKeyId, kMoveLeftKeyId, kMoveRightKeyId})
        GN_SENDMESSAGE(form, id, 1, 0);
    EXPECT_FALSE(wasRoutedTo("move"));

    clickTab(form, 2);
    for (int id : {kMoveUpKeyId, kMoveDownKeyId, kMoveLeftKeyId, kMoveRightKeyId})
        GN_SENDMESSAGE(form, id, 1, 0);
    EXPECT_TRUE(wasRouted("move", kMoveUpKeyId, 1));
    EXPECT_TRUE(wasRouted("move", kMoveDownKeyId, 1));
    EXPECT_TRUE(wasRouted("move", kMoveLeftKeyId, 1));
    EXPECT_TRUE(wasRouted("move", kMoveRightKeyId, 1));
    // Ctrl+Up acts on code 1 only; the others on any code.
    routed.clear();
    GN_SENDMESSAGE(form, kMoveUpKeyId, 410, 0);
    GN_SENDMESSAGE(form, kMoveLeftKeyId, 410, 0);
    EXPECT_FALSE(wasRouted("move", kMoveUpKeyId, 410));
    EXPECT_TRUE(wasRouted("move", kMoveLeftKeyId, 410));
}

TEST_F(MainFormTest, StoreKeyAndPostedStoreReachTheStore)
{
    GN_SENDMESSAGE(form, kStoreSelectedId, 1, 0);
    EXPECT_TRUE(wasRouted("store", kStoreSelectedId, 1));
    GN_POSTEVENT(form, kStoreSelectedId, 12);
    GN_DOEVENTS(255);
    EXPECT_TRUE(wasRouted("store", kStoreSelectedId, 410));
    routed.clear();
    GN_SENDMESSAGE(form, kStoreSelectedId, 6, 0);
    EXPECT_FALSE(wasRoutedTo("store"));
    GN_SENDMESSAGE(form, kUndoKeyId, 1, 0);
    EXPECT_TRUE(wasRouted("undo", kUndoKeyId, 1));
}

TEST_F(MainFormTest, ClickOnAKeyFrameReachesItsFaceAsAPostedEvent)
{
    QWidget* frame = toolkitControlWidget(form, 665);
    ASSERT_NE(frame, nullptr);
    QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(30, 5));
    // Posted: nothing reaches the face before the handler has returned.
    EXPECT_FALSE(wasRouted("panel", 610, 410));
    GN_DOEVENTS(255);
    EXPECT_TRUE(wasRouted("panel", 610, 410));
    EXPECT_FALSE(wasRouted("panel", 665, 1));

    routed.clear();
    GN_SENDMESSAGE(form, 815, 1, 0);
    GN_DOEVENTS(255);
    EXPECT_TRUE(wasRouted("panel", 760, 410));
    routed.clear();
    GN_SENDMESSAGE(form, 710, 1, 0);
    GN_SENDMESSAGE(form, 770, 1, 0);
    GN_DOEVENTS(255);
    // The editor's own field changes of each selection are routed too; the panel
    // picture sees the two posted face events, in order.
    std::vector<Routed> panel;
    for (const Routed& r : routed)
        if (r.area == std::string("panel"))
            panel.push_back(r);
    ASSERT_EQ(panel.size(), 2u);
    EXPECT_EQ(panel[0], (Routed{"panel", 655, 410}));
    EXPECT_EQ(panel[1], (Routed{"panel", 715, 410}));
    // The highlight frames take no clicks.
    routed.clear();
    GN_SENDMESSAGE(form, 660, 1, 0);
    GN_SENDMESSAGE(form, 765, 1, 0);
    GN_DOEVENTS(255);
    EXPECT_TRUE(routed.empty());
}

TEST_F(MainFormTest, ControlIdsReachTheirAreas)
{
    const std::vector<std::pair<int, std::string>> routes = {
        {165, "editor"}, {215, "editor"}, {290, "editor"}, {345, "editor"}, {380, "drawing"},
        {460, "drawing"}, {500, "panel"}, {560, "panel"}, {565, "panel"}, {610, "panel"}, {715, "panel"},
        {575, "library"}, {590, "library"}, {605, "library"}, {820, "level"}, {350, "level"}, {360, "level"},
    };
    for (const auto& [id, area] : routes) {
        routed.clear();
        GN_SENDMESSAGE(form, id, 6, 0);
        EXPECT_TRUE(wasRouted(area, id, 6)) << id << " " << area;
    }
    routed.clear();
    int cancel = 0;
    MainFormEvents(370, 99, 516, cancel);
    MainFormEvents(570, 99, 516, cancel);
    EXPECT_TRUE(wasRouted("drawing99", 370, 99));
    EXPECT_TRUE(wasRouted("panel99", 570, 99));
}

TEST_F(MainFormTest, EventsOfOtherFormsAreIgnored)
{
    int cancel = 0;
    for (const char* name : {"{MSGBOX}", "{OPENDLG}", "{SAVEDLG}", "NOSUCHFORM", "vantor", ""}) {
        RouteEvent(name, 9210, 1, 0, cancel);
        RouteEvent(name, 0, 0, 0, cancel);
    }
    EXPECT_EQ(cancel, 0);
    EXPECT_TRUE(routed.empty());
    EXPECT_TRUE(messages.empty());
    DesignForm("NOSUCHFORM");
    DesignForm("BAUDRATE"); // no routine installed yet: nothing happens
    EXPECT_NE(GN_HANDLE(form), 0);
}

int baudEvents = 0;
void baudEventRoutine(int, int, std::intptr_t, int& cancel)
{
    ++baudEvents;
    cancel = 1;
}

TEST_F(MainFormTest, FormTableHoldsTheNineFormsAndTakesTheirRoutines)
{
    std::vector<std::string> names;
    for (const FormEntry& f : formTable())
        names.push_back(f.name);
    EXPECT_EQ(names, (std::vector<std::string>{"VANTOR", "BAUDRATE", "DRAGFORM", "FINDVANTOR", "KEYBOARDMSG",
                                               "MSGFORM", "PROGBAR", "SONYCODES", "COPYBANK"}));
    EXPECT_FALSE(setFormRoutines("VANTOR", nullptr, &baudEventRoutine));
    EXPECT_FALSE(setFormRoutines("OTHER", nullptr, &baudEventRoutine));
    ASSERT_TRUE(setFormRoutines("BAUDRATE", nullptr, &baudEventRoutine));
    int cancel = 0;
    baudEvents = 0;
    RouteEvent("BAUDRATE", 160, 1, 0, cancel);
    EXPECT_EQ(baudEvents, 1);
    EXPECT_EQ(cancel, 1);
    RouteEvent("Baudrate", 160, 1, 0, cancel); // names are compared exactly
    EXPECT_EQ(baudEvents, 1);
    setFormRoutines("BAUDRATE", nullptr, nullptr);
}

TEST_F(MainFormTest, RescanIsRefusedInEmulationModeAndClearsTheFlagsOtherwise)
{
    shellFlags().emulationMode = 1;
    shellFlags().definitionsChanged = 1;
    pick(9105);
    GN_DOEVENTS(255);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], (Message{"Halvern Devices", "Cannot Rescan for Vantor while in 'Emulation Mode'"}));
    EXPECT_EQ(shellFlags().definitionsChanged, 1);

    messages.clear();
    shellFlags().emulationMode = 0;
    shellFlags().isLoading = 1;
    pick(9105);
    GN_DOEVENTS(255);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(shellFlags().definitionsChanged, 0);
    EXPECT_EQ(shellFlags().isLoading, 0);
}

TEST_F(MainFormTest, CloseIsRefusedInEmulationMode)
{
    shellFlags().emulationMode = 1;
    QWidget* window = toolkitFormWidget(form);
    ASSERT_NE(window, nullptr);
    window->close();
    GN_DOEVENTS(255);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], (Message{"Halvern Devices", "Cannot Exit Vantor while in 'Emulation Mode'"}));
    EXPECT_NE(GN_HANDLE(form), 0);
    // The settings were written all the same; nothing was stored.
    EXPECT_TRUE(wasRouted("writeSettings", 0, 0));
    EXPECT_FALSE(wasRoutedTo("storeAll"));
    // The Exit command keeps the same rule.
    pick(9055);
    GN_DOEVENTS(255);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_NE(GN_HANDLE(form), 0);
}

TEST_F(MainFormTest, CloseEndsTheFormAndTheDebugWindow)
{
    GN_DEBUGFORM("Debug");
    ASSERT_NE(GN_HANDLE("Debug"), 0);
    shellFlags().definitionsChanged = 1;
    QWidget* window = toolkitFormWidget(form);
    ASSERT_NE(window, nullptr);
    window->close();
    GN_DOEVENTS(255);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(GN_HANDLE(form), 0);
    EXPECT_EQ(GN_HANDLE("Debug"), 0);
    // Settings first, then the changed definitions into the panel.
    ASSERT_GE(routed.size(), 2u);
    EXPECT_EQ(routed[routed.size() - 2], (Routed{"writeSettings", 0, 0}));
    EXPECT_EQ(routed.back(), (Routed{"storeAll", 0, 0}));
}

TEST_F(MainFormTest, CloseWithoutChangesStoresNothing)
{
    toolkitFormWidget(form)->close();
    GN_DOEVENTS(255);
    EXPECT_EQ(GN_HANDLE(form), 0);
    EXPECT_TRUE(wasRouted("writeSettings", 0, 0));
    EXPECT_FALSE(wasRoutedTo("storeAll"));
}

TEST_F(MainFormTest, PollWorkerTickReachesThePoll)
{
    GN_SENDMESSAGE(form, kPollWorkerId, 407, 0);
    EXPECT_TRUE(wasRouted("poll", kPollWorkerId, 407));
    routed.clear();
    GN_SENDMESSAGE(form, kPollWorkerId, 1, 0);
    EXPECT_FALSE(wasRoutedTo("poll"));
}

TEST_F(MainFormTest, ExitCommandClosesTheProgram)
{
    pick(9055);
    GN_DOEVENTS(255);
    EXPECT_EQ(GN_HANDLE(form), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainFormTest, HelpOpensTheManualBesideTheProgram)
{
    std::vector<std::string> opened;
    setHelpHook([&](const std::string& path) { opened.push_back(path); });
    const std::string folder = GN_APPPATH();
    const std::string chm = folder + "vantor.chm";
    std::remove(chm.c_str());
    pick(9205);
    GN_DOEVENTS(255);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], folder + "vantor.html");

    { std::ofstream(chm) << "help"; }
    pick(9205);
    GN_DOEVENTS(255);
    std::remove(chm.c_str());
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], chm);
    // F1 anywhere in the window.
    QTest::keyClick(toolkitFormWidget(form), Qt::Key_F1);
    GN_DOEVENTS(255);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[2], folder + "vantor.html");
    setHelpHook(nullptr);
    EXPECT_TRUE(messages.empty());
}

// The window opens where it was closed last time.
TEST_F(MainFormTest, WindowOpensWhereItWasClosed)
{
    GN_RESIZEFORM(form, 20, 10, -1, -1);
    GN_DOEVENTS(255);
    toolkitFormWidget(form)->close();
    GN_DOEVENTS(255);
    ASSERT_EQ(GN_HANDLE(form), 0);
    MakeMainForm();
    GN_DOEVENTS(255);
    double col = 0, row = 0, w = 0, h = 0;
    ASSERT_EQ(GN_GETSIZE(form, col, row, w, h), 1);
    EXPECT_EQ(col, 20);
    EXPECT_EQ(row, 10);
    // Made again while it runs (a second start): back from the task bar, in front.
    toolkitFormWidget(form)->showMinimized();
    GN_DOEVENTS(255);
    ASSERT_TRUE(toolkitFormWidget(form)->isMinimized());
    EXPECT_EQ(GN_FORM(form, "", "", 0, 0, 0, 0, ""), 0);
    EXPECT_FALSE(toolkitFormWidget(form)->isMinimized());
}

// Separators are lines without a "-"; commands (Undo named after a step
// included) show no empty check box, Keyboard Mode shows its tick.
TEST_F(MainFormTest, MenusShowNoStrayDashOrEmptyCheckBox)
{
    GN_SETTEXT(form, 165, "CAM 2");
    GN_DOEVENTS(255);
    pick(9110);
    int separators = 0, ticked = 0;
    for (QAction* top : toolkitFormWidget(form)->findChild<QMenuBar*>()->actions()) {
        ASSERT_NE(top->menu(), nullptr);
        for (QAction* a : top->menu()->actions()) {
            if (a->isSeparator()) {
                ++separators;
                EXPECT_TRUE(a->text().isEmpty()) << a->text().toStdString();
            } else {
                EXPECT_TRUE(!a->isCheckable() || a->isChecked()) << a->text().toStdString();
                ticked += a->isChecked();
            }
        }
    }
    EXPECT_EQ(separators, 3);
    EXPECT_EQ(ticked, 1);
    pick(9110);
}

class DebugCommandLineTest : public MainFormTest {
protected:
    std::string commandLine() const override { return "novt --verbose debug"; }
};

TEST_F(DebugCommandLineTest, LowerCaseDebugOpensTheDebugWindow)
{
    EXPECT_EQ(shellFlags().debugMode, 1);
    EXPECT_NE(GN_HANDLE("Debug"), 0);
}

} // namespace
} // namespace vantor::test
