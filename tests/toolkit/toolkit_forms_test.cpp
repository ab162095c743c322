// Forms: life cycle and its order, close requests, names, modal forms, the run
// loop, posted events, workers, accelerators, character keys and menus.
#include "tests/toolkit/toolkit_support.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <thread>

using namespace vantor::test;

namespace {

class Forms : public ToolkitTest { };

TEST_F(Forms, LoadingThenDesignThenControlsMadeThenShown)
{
    int controlsSeenAtDesign = -1;
    GN_ALLOWLOADINGEVENT(2);
    const auto h = makeForm("MAIN", [&] {
        GN_LABEL(100, 1, 1, 5, 1, "x", "");
        controlsSeenAtDesign = GN_HANDLE("MAIN", 100) != 0;
    });
    EXPECT_NE(h, 0);
    EXPECT_EQ(codes("MAIN", 0), (std::vector<int>{85, -1, 87, 86}));
    EXPECT_EQ(controlsSeenAtDesign, 1);
    ASSERT_NE(toolkitFormWidget("MAIN"), nullptr);
    EXPECT_TRUE(toolkitFormWidget("MAIN")->isVisible());
    EXPECT_EQ(GN_GETTEXT("MAIN", 0), "MAIN title");
}

TEST_F(Forms, LoadingEventOnlyWhenRequestedAndOnlyOnce)
{
    makeForm("A", nullptr);
    EXPECT_EQ(codes("A", 0), (std::vector<int>{-1, 87, 86}));
    GN_ALLOWLOADINGEVENT(2);
    makeForm("B", nullptr);
    makeForm("C", nullptr);
    EXPECT_EQ(codes("B", 0).front(), 85);
    EXPECT_EQ(codes("C", 0).front(), -1);
}

TEST_F(Forms, CloseRequestCanBeRefusedWithCancel)
{
    bool refuse = true;
    makeForm("MAIN", nullptr);
    handler = [&](const std::string&, int id, int code, std::intptr_t, int& cancel) {
        if (id == 0 && code == 0 && refuse)
            cancel = 1;
    };
    toolkitFormWidget("MAIN")->close();
    EXPECT_EQ(count(0, 0), 1);
    EXPECT_NE(GN_HANDLE("MAIN"), 0);
    refuse = false;
    toolkitFormWidget("MAIN")->close();
    EXPECT_EQ(count(0, 0), 2);
    EXPECT_EQ(GN_HANDLE("MAIN"), 0);
    EXPECT_EQ(toolkitFormWidget("MAIN"), nullptr);
}

TEST_F(Forms, UnloadDoesNotRaiseACloseRequestAndNamesAreCaseBlind)
{
    makeForm("DRAGFORM", [] { GN_CANVAS(100, 0, 0, 9, 3, "", "{DIB}{24}"); });
    EXPECT_NE(GN_HANDLE("DragForm"), 0);
    EXPECT_NE(GN_HANDLE("dragform", 100), 0);
    EXPECT_EQ(GN_HANDLE("dragform", 105), 0);
    GN_SETTEXT("dragForm", 0, "moved");
    EXPECT_EQ(GN_GETTEXT("DRAGFORM", 0), "moved");
    events.clear();
    GN_UNLOADFORM("DragForm");
    EXPECT_EQ(GN_HANDLE("DRAGFORM"), 0);
    EXPECT_TRUE(events.empty());
    GN_UNLOADFORM("DragForm"); // already gone: nothing
}

TEST_F(Forms, EventsCarryTheFormNameAsGiven)
{
    makeForm("Vantor", [] { GN_BUTTON(100, 1, 1, 5, 2, "Go", ""); });
    GN_SENDMESSAGE("VANTOR", 100, 1, 7);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().form, "Vantor");
    EXPECT_EQ(events.back().value, 7);
}

TEST_F(Forms, MakingAnOpenFormAgainDoesNothing)
{
    makeForm("ONE", nullptr);
    events.clear();
    EXPECT_EQ(GN_FORM("one", "", "again", 0, 0, 10, 10, ""), 0);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(GN_GETTEXT("ONE", 0), "ONE title");
}

TEST_F(Forms, ModalFormReturnsOnlyAfterItIsUnloaded)
{
    makeForm("MAIN", nullptr);
    handler = [](const std::string& form, int id, int code, std::intptr_t, int&) {
        if (form == "BAUDRATE" && id == 0 && code == 86)
            GN_POSTEVENT("BAUDRATE", 160, 0);
        if (form == "BAUDRATE" && id == 160 && code == 410)
            GN_UNLOADFORM("BAUDRATE");
    };
    made_.push_back("BAUDRATE");
    events.clear();
    GN_FORM("BAUDRATE", "MAIN", "Select", 0, 0, 20, 10, "CMNR");
    // By the time GN_FORM returns the posted click ran and the form is gone.
    EXPECT_EQ(GN_HANDLE("BAUDRATE"), 0);
    EXPECT_EQ(codes("BAUDRATE", 0), (std::vector<int>{-1, 87, 86}));
    EXPECT_EQ(codes("BAUDRATE", 160), (std::vector<int>{410}));
}

TEST_F(Forms, ClosingTheOwnerClosesOwnedForms)
{
    makeForm("MAIN", nullptr);
    makeForm("PROGBAR", nullptr, 20, 5, "CDT", "MAIN");
    EXPECT_NE(GN_HANDLE("PROGBAR"), 0);
    GN_UNLOADFORM("MAIN");
    EXPECT_EQ(GN_HANDLE("PROGBAR"), 0);
}

TEST_F(Forms, PostedEventsRunAfterTheCurrentHandlerInOrder)
{
    makeForm("MAIN", [] { GN_BUTTON(100, 1, 1, 5, 2, "Go", ""); });
    std::vector<std::string> log;
    handler = [&](const std::string&, int id, int code, std::intptr_t value, int&) {
        if (id == 100 && code == 1) {
            GN_POSTEVENT("main", 5020, 11);
            GN_POSTEVENT("MAIN", 5021, 12);
            GN_POSTEVENT("Main", 5020, 13);
            log.push_back("click done");
        }
        if (code == 410)
            log.push_back(std::to_string(id) + ":" + std::to_string(value));
    };
    GN_SENDMESSAGE("MAIN", 100, 1, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"click done"}));
    GN_DOEVENTS(255);
    EXPECT_EQ(log, (std::vector<std::string>{"click done", "5020:11", "5021:12", "5020:13"}));
}

TEST_F(Forms, PostedEventForAFormThatIsGoneIsDropped)
{
    makeForm("GONE", nullptr);
    GN_POSTEVENT("GONE", 5, 1);
    GN_UNLOADFORM("GONE");
    events.clear();
    GN_DOEVENTS();
    EXPECT_TRUE(events.empty());
}

TEST_F(Forms, WorkerTicksOnTheGuiThreadUntilClosed)
{
    makeForm("VANTOR", nullptr);
    const auto gui = std::this_thread::get_id();
    int ticks = 0;
    bool otherThread = false;
    handler = [&](const std::string&, int id, int code, std::intptr_t, int&) {
        if (id == 5015 && code == 407) {
            ++ticks;
            otherThread |= std::this_thread::get_id() != gui;
        }
    };
    GN_STARTTHREAD("Vantor", 5015, 5);
    GN_STARTTHREAD("VANTOR", 5015, 5); // one timer only
    EXPECT_TRUE(waitFor([&] { return ticks >= 3; }));
    EXPECT_FALSE(otherThread);
    GN_CLOSETHREAD("vantor", 5015);
    const int stopped = ticks;
    QTest::qWait(60);
    EXPECT_EQ(ticks, stopped);
    GN_CLOSETHREAD("vantor", 5015); // not running: nothing
}

TEST_F(Forms, WorkerStopsWithItsForm)
{
    makeForm("VANTOR", nullptr);
    int ticks = 0;
    handler = [&](const std::string&, int, int code, std::intptr_t, int&) { ticks += code == 407; };
    GN_STARTTHREAD("VANTOR", 5015, 5);
    EXPECT_TRUE(waitFor([&] { return ticks >= 1; }));
    GN_UNLOADFORM("VANTOR");
    const int before = ticks;
    QTest::qWait(40);
    EXPECT_EQ(ticks, before);
}

TEST_F(Forms, AcceleratorsRaiseCodeOneWithTheirIds)
{
    makeForm("VANTOR", [] { GN_TEXTFIELD(600, 1, 1, 5, 1.25, "1", "CENST"); });
    GN_DEFACCEL("VANTOR", "^Z, 5010|^S, 5020|Up, 5025|Down, 5030|^Up, 5035|^Down, 5040|^Left, 5045|^Right, 5044");
    QWidget* w = toolkitFormWidget("VANTOR");
    QWidget* field = toolkitControlWidget("VANTOR", 600);
    events.clear();
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Up);
    QTest::keyClick(w, Qt::Key_Down);
    QTest::keyClick(w, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_Left, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_Right, Qt::ControlModifier);
    std::vector<int> ids;
    for (const auto& e : events)
        if (e.code == 1)
            ids.push_back(e.id);
    EXPECT_EQ(ids, (std::vector<int>{5010, 5020, 5025, 5030, 5035, 5040, 5045, 5044}));
    EXPECT_EQ(GN_GETTEXT("VANTOR", 600), "1");
}

TEST_F(Forms, DialogAcceleratorsTakeTheirKeysFromTheFields)
{
    makeForm("MSGFORM", [] { GN_TEXTFIELD(120, 1, 1, 10, 1.25, "abc", ""); });
    GN_DEFACCEL("MSGFORM", "Left, 5005|Back, 5005|Del, 5005|RETURN, 160|ESC, 2");
    QWidget* field = toolkitControlWidget("MSGFORM", 120);
    events.clear();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClick(field, Qt::Key_Left);
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_Enter);
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(count(5005, 1), 3);
    EXPECT_EQ(count(160, 1), 2);
    EXPECT_EQ(count(2, 1), 1);
    EXPECT_EQ(GN_GETTEXT("MSGFORM", 120), "abc");
    // A new list replaces the old one.
    GN_DEFACCEL("MSGFORM", "ESC, 7");
    events.clear();
    QTest::keyClick(field, Qt::Key_Escape);
    QTest::keyClick(field, Qt::Key_Left);
    EXPECT_EQ(count(7, 1), 1);
    EXPECT_EQ(count(5005, 1), 0);
}

TEST_F(Forms, CharacterKeysRaiseCode32AndCancelSwallowsThem)
{
    makeForm("MSGFORM", [] {
        GN_TEXTFIELD(120, 1, 1, 10, 1.25, "", "");
        GN_LABEL(135, 1, 3, 10, 1, "", "");
    });
    bool swallow = true;
    handler = [&](const std::string&, int, int code, std::intptr_t, int& cancel) {
        if (code == 32 && swallow)
            cancel = 1;
    };
    QWidget* field = toolkitControlWidget("MSGFORM", 120);
    QTest::keyClicks(field, "a7");
    EXPECT_EQ(GN_GETTEXT("MSGFORM", 120), "");
    ASSERT_EQ(count(120, 32), 2);
    std::vector<std::intptr_t> values;
    for (const auto& e : events)
        if (e.code == 32)
            values.push_back(e.value);
    EXPECT_EQ(values, (std::vector<std::intptr_t>{'a', '7'}));
    // A key on a control that does not take keys is raised once, with its id.
    events.clear();
    QTest::keyClick(toolkitControlWidget("MSGFORM", 135), Qt::Key_B);
    EXPECT_EQ(count(135, 32), 1);
    EXPECT_EQ(events.size(), 1u);
    swallow = false;
    QTest::keyClicks(field, "xy");
    EXPECT_EQ(GN_GETTEXT("MSGFORM", 120), "xy");
    GN_ALLOWKEYEVENTS(0);
    events.clear();
    QTest::keyClicks(field, "z");
    EXPECT_EQ(count(120, 32), 0);
    GN_ALLOWKEYEVENTS(2);
}

TEST_F(Forms, MenusAreBuiltFiledTickedDisabledAndPicked)
{
    GN_DEFMAINMENU(9000, "&Files", "");
    makeForm("VANTOR", [] {
        const std::intptr_t bar = GN_GETMENU("VANTOR", 0);
        ASSERT_NE(bar, 0);
        GN_ADDMENUITEM(bar, 9100, 0, "&Setup", "");
        const std::intptr_t files = GN_DEFSUBMENU(9005, "&Load Keys", "");
        GN_SAVEMENU("VANTOR", 1, files);
        GN_SETSUBMENU(bar, 9000, files);
        GN_ADDMENUITEM(files, 9025, 0, "-", "");
        GN_ADDMENUITEM(files, 9055, 0, "E&xit", "");
        const std::intptr_t setup = GN_DEFSUBMENU(9105, "&Rescan For Vantor", "");
        GN_SAVEMENU("VANTOR", 2, setup);
        GN_SETSUBMENU(bar, 9100, setup);
        GN_ADDMENUITEM(setup, 9110, 0, "&Keyboard Mode", "");
        GN_ADDMENUITEM(setup, 9115, 0, "&Emulation Mode", "");
    });
    EXPECT_EQ(GN_GETMENU("VANTOR", 3), 0);
    const std::intptr_t setup = GN_GETMENU("vantor", 2);
    ASSERT_NE(setup, 0);
    EXPECT_EQ(menuItemCaption(9110), "&Keyboard Mode");
    EXPECT_EQ(menuItemChecked(9110), 0);
    EXPECT_EQ(menuItemEnabled(9110), 1);
    GN_SETMENUITEM(setup, 9110, "Keyboard Mode", "X");
    GN_SETMENUITEM(setup, 9115, "Emulation Mode", "D");
    EXPECT_EQ(menuItemCaption(9110), "Keyboard Mode");
    EXPECT_EQ(menuItemChecked(9110), 1);
    EXPECT_EQ(menuItemEnabled(9115), 0);
    events.clear();
    triggerMenuItem(9115); // disabled: nothing
    triggerMenuItem(9105);
    triggerMenuItem(9055);
    EXPECT_EQ(count(9115, 1), 0);
    EXPECT_EQ(count(9105, 1), 1);
    EXPECT_EQ(count(9055, 1), 1);
    EXPECT_EQ(events.front().form, "VANTOR");
    GN_SETMENUITEM(setup, 9110, "Keyboard Mode", "");
    GN_SETMENUITEM(setup, 9115, "Emulation Mode", "");
    EXPECT_EQ(menuItemChecked(9110), 0);
    EXPECT_EQ(menuItemEnabled(9115), 1);
}

// The program's main form with its bar, one hung and one filed pop-up; `revert` names item 9010.
class MenuForms : public ToolkitTest {
protected:
    void make(const std::string& name, const std::string& revert)
    {
        GN_DEFMAINMENU(9000, "&Files", "");
        makeForm(name, [name, revert] {
            const std::intptr_t bar = GN_GETMENU(name, 0);
            ASSERT_NE(bar, 0);
            const std::intptr_t files = GN_DEFSUBMENU(9005, "&Load Keys", "");
            GN_SAVEMENU(name, 1, files);
            GN_SETSUBMENU(bar, 9000, files);
            GN_ADDMENUITEM(files, 9010, 0, revert, "");
            GN_ADDMENUITEM(files, 9055, 0, "E&xit", "");
            const std::intptr_t popup = GN_DEFSUBMENU(9300, "&Copy", ""); // filed, never hung
            GN_SAVEMENU(name, 4, popup);
            GN_DEFSUBMENU(9310, "&Paste", ""); // neither filed nor hung
        });
    }
};

TEST_F(MenuForms, UnloadingAFormDropsItsMenusAndTheFormMadeAgainHasOnlyItsOwn)
{
    make("VANTOR", "&Revert");
    EXPECT_EQ(menuItemCaption(9010), "&Revert");
    GN_SETMENUITEM(GN_GETMENU("VANTOR", 1), 9010, "", "X");
    EXPECT_EQ(menuItemChecked(9010), 1);
    GN_UNLOADFORM("VANTOR");
    GN_DOEVENTS();
    // Gone with the form: no caption, no pick.
    for (int id : {9000, 9005, 9010, 9055, 9300, 9310}) {
        EXPECT_EQ(menuItemCaption(id), "") << id;
        EXPECT_EQ(menuItemEnabled(id), 0) << id;
    }
    events.clear();
    triggerMenuItem(9010);
    triggerMenuItem(9300);
    EXPECT_TRUE(events.empty());

    make("Vantor", "&Revert Keys");
    EXPECT_EQ(menuItemCaption(9010), "&Revert Keys");
    EXPECT_EQ(menuItemChecked(9010), 0); // the new item, not the ticked old one
    EXPECT_EQ(menuItemCaption(9300), "&Copy");
    EXPECT_EQ(menuItemCaption(9310), "&Paste");
    events.clear();
    triggerMenuItem(9010);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].form, "Vantor");
    EXPECT_EQ(events[0].id, 9010);
    EXPECT_EQ(events[0].code, 1);
    // Its bar holds exactly the new items.
    auto* bar = toolkitFormWidget("VANTOR")->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 1);
    ASSERT_NE(bar->actions()[0]->menu(), nullptr);
    QStringList captions;
    for (QAction* a : bar->actions()[0]->menu()->actions())
        captions << a->text();
    EXPECT_EQ(captions, (QStringList{"&Load Keys", "&Revert Keys", "E&xit"}));
}

TEST_F(MenuForms, AFormUnloadedByItsOwnMenuPickLeavesNoItemBehind)
{
    make("VANTOR", "&Revert");
    int picks = 0;
    handler = [&](const std::string&, int id, int code, std::intptr_t, int&) {
        if (id == 9055 && code == 1) {
            ++picks;
            GN_UNLOADFORM("VANTOR");
        }
    };
    triggerMenuItem(9055);
    GN_DOEVENTS();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(picks, 1);
    EXPECT_EQ(GN_HANDLE("VANTOR"), 0);
    EXPECT_EQ(menuItemCaption(9055), "");
    triggerMenuItem(9055);
    EXPECT_EQ(picks, 1);
}

// A bar made for a form that is never made stays for the next form.
TEST_F(MenuForms, ABarMadeBeforeItsFormOutlivesAnUnrelatedUnload)
{
    makeForm("OTHER", [] {});
    GN_DEFMAINMENU(9400, "&Tools", "");
    GN_UNLOADFORM("OTHER");
    makeForm("TOOLS", [] {});
    EXPECT_NE(GN_GETMENU("TOOLS", 0), 0);
    EXPECT_EQ(menuItemCaption(9400), "&Tools");
    events.clear();
    triggerMenuItem(9400);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].form, "TOOLS");
}

// The run loop, driven through GN_GUIRUN itself.
std::vector<std::string> g_runLog;
void runInit()
{
    g_runLog.push_back("init " + GN_COMMANDLINE());
    GN_ALLOWLOADINGEVENT(2);
    GN_FORM("VANTOR", "", "Main", 0, 0, 20, 10, "_C");
    g_runLog.push_back("form returned");
}
void runEvents(const std::string& form, int id, int code, std::intptr_t, int& cancel)
{
    g_runLog.push_back(form + " " + std::to_string(id) + " " + std::to_string(code));
    if (code == 86)
        GN_POSTEVENT(form, 9055, 0);
    if (code == 410 && id == 9055) {
        GN_DEBUGFORM("Debug");
        toolkitFormWidget(form)->close(); // close request, answered below
    }
    if (code == 0) {
        cancel = 0;
        GN_UNLOADFORM("debug");
    }
}
void runDesign(const std::string& form)
{
    g_runLog.push_back("design " + form);
}

TEST_F(Forms, GuiRunCallsInitAndEndsWhenNoFormIsLeft)
{
    char a0[] = "vantor";
    char a1[] = "debug";
    char a2[] = "NOVT";
    char* argv[] = {a0, a1, a2, nullptr};
    g_runLog.clear();
    EXPECT_EQ(GN_GUIRUN(3, argv, runInit, runEvents, runDesign), 0);
    EXPECT_EQ(g_runLog,
              (std::vector<std::string>{"init debug NOVT", "VANTOR 0 85", "design VANTOR", "VANTOR 0 87", "VANTOR 0 86",
                                        "form returned", "VANTOR 9055 410", "VANTOR 0 0"}));
    EXPECT_EQ(toolkitFormCount(), 0);
    EXPECT_EQ(GN_HANDLE("Debug"), 0);
    GN_SETROUTINES(eventProc, designProc);
}

void noForm()
{ }
TEST_F(Forms, GuiRunWithoutAnyFormReturnsAtOnce)
{
    char a0[] = "vantor";
    char* argv[] = {a0, nullptr};
    EXPECT_EQ(GN_GUIRUN(1, argv, noForm, runEvents, runDesign), 0);
    EXPECT_EQ(GN_COMMANDLINE(), "");
    GN_SETROUTINES(eventProc, designProc);
}

} // namespace
