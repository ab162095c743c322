// Message boxes, file dialogs, help, the debug window, paths, screen depth,
// cursors, mouse capture, layered forms, fonts and pictures.
#include "tests/toolkit/toolkit_support.h"

#include "resources/resources.h"

#include <QCursor>
#include <QFont>
#include <QTest>

#include <cstdlib>

using namespace vantor::test;

namespace {

// The program names its maker as the caption of the boxes that give none.
class Services : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        setDefaultCaption("Halvern Devices");
    }
    void TearDown() override
    {
        setDefaultCaption("");
        ToolkitTest::TearDown();
    }
};

TEST_F(Services, EveryMessageBoxGoesThroughTheHook)
{
    std::vector<std::pair<std::string, std::string>> seen;
    setMessageHook([&](const std::string& caption, const std::string& text) {
        seen.push_back({caption, text});
        return 2;
    });
    vantorMessage("Connect Computer to Vantor");
    vantor::vantorMessage("Vantor is already running", "Halvern Devices");
    EXPECT_EQ(GN_MSGBOX("Vantor", "Orbel-Lumio/Vantor/Stratiq Macro Editor{i}", "About", "OK"), 2);
    const std::vector<std::pair<std::string, std::string>> want{{"Halvern Devices", "Connect Computer to Vantor"},
                                                                {"Halvern Devices", "Vantor is already running"},
                                                                {"About", "Orbel-Lumio/Vantor/Stratiq Macro Editor"}};
    EXPECT_EQ(seen, want);
}

TEST_F(Services, WithoutACaptionSetTheDefaultCaptionIsTheApplicationName)
{
    setDefaultCaption("");
    EXPECT_EQ(defaultCaption(), QCoreApplication::applicationName().toStdString());
    setDefaultCaption("Maker");
    EXPECT_EQ(defaultCaption(), "Maker");
}

TEST_F(Services, WithMessagesToStderrEachBoxPrintsOneLineAndAnswersOk)
{
    setenv("VANTOR_MESSAGES", "stderr", 1);
    testing::internal::CaptureStderr();
    vantorMessage("Cannot Exit Vantor while in 'Emulation Mode'");
    const int answer = GN_MSGBOX("Vantor", "Save?", "Question", "OKCANCEL");
    const int yes = GN_MSGBOX("Vantor", "Sure?", "Question", "YESNO");
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out,
              "[Halvern Devices] Cannot Exit Vantor while in 'Emulation Mode'\n"
              "[Question] Save?\n"
              "[Question] Sure?\n");
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(yes, 6);
}

TEST_F(Services, FileDialogsGoThroughTheHookAndSaveAddsTheDefaultExtension)
{
    std::vector<GnFileDialogRequest> seen;
    std::string answer = "/tmp/keys";
    setFileDialogHook([&](const GnFileDialogRequest& r) {
        seen.push_back(r);
        return answer;
    });
    EXPECT_EQ(GN_OPENFILE("Vantor", "Load Key Definitions", "/home/u", "Key Definition List|*.kdl", "Z"), "/tmp/keys");
    EXPECT_EQ(GN_SAVEFILE("Vantor", "Save Key Definitions", "/home/u", "", "Key Definition List|*.kdl", "KDL", "NZP"),
              "/tmp/keys.KDL");
    answer = "/tmp/icons.RIcon";
    EXPECT_EQ(GN_SAVEFILE("Vantor", "Save Ram Icons", "", "", "Ram Icons|*.RIcon", "RIcon", "NZP"), "/tmp/icons.RIcon");
    answer = "";
    EXPECT_EQ(GN_SAVEFILE("Vantor", "Save Ram Icons", "", "", "Ram Icons|*.RIcon", "RIcon", "NZP"), "");
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_FALSE(seen[0].save);
    EXPECT_EQ(seen[0].title, "Load Key Definitions");
    EXPECT_EQ(seen[0].folder, "/home/u");
    EXPECT_EQ(seen[0].filter, "Key Definition List|*.kdl");
    EXPECT_TRUE(seen[1].save);
    EXPECT_EQ(seen[1].defaultExt, "KDL");
    EXPECT_EQ(seen[1].props, "NZP");
}

TEST_F(Services, FileDialogsNeverBlockWithoutAHook)
{
    setenv("VANTOR_MESSAGES", "stderr", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(GN_OPENFILE("Vantor", "Load Ram Icons", "", "Ram Icons|*.Ricon", "Z"), "");
    EXPECT_EQ(GN_SAVEFILE("Vantor", "Save Ram Icons", "", "", "Ram Icons|*.RIcon", "RIcon", "NZP"), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[Open] Load Ram Icons\n[Save] Save Ram Icons\n");
}

TEST_F(Services, HelpOfAMissingFileIsReported)
{
    std::vector<std::string> messages;
    setMessageHook([&](const std::string&, const std::string& text) {
        messages.push_back(text);
        return 1;
    });
    GN_HHELP("vantor", "no_such_help_file.chm", "", "");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(GN_APPPATH() + "no_such_help_file.chm"), std::string::npos);
    std::string asked;
    setHelpHook([&](const std::string& path) { asked = path; });
    GN_HHELP("vantor", "vantor.chm", "", "");
    EXPECT_EQ(asked, GN_APPPATH() + "vantor.chm");
    setHelpHook(nullptr);
}

TEST_F(Services, DebugWindowCollectsLinesAndIsAnUnloadableForm)
{
    const std::string before = debugWindowText();
    GN_DPRINT("kept while closed");
    GN_DEBUGFORM("Debug");
    const int forms = toolkitFormCount();
    EXPECT_NE(GN_HANDLE("DEBUG"), 0);
    GN_DPRINT("Sending - F0 15 2C 7F 00 00 ");
    GN_DPRINT("checking \\\\.\\COM3  Error: 0");
    EXPECT_EQ(debugWindowText(),
              before + "kept while closed\nSending - F0 15 2C 7F 00 00 \nchecking \\\\.\\COM3  Error: 0\n");
    makeForm("VANTOR", nullptr);
    EXPECT_EQ(toolkitFormCount(), forms + 1); // the debug window itself keeps no run alive
    GN_UNLOADFORM("debug");
    EXPECT_EQ(GN_HANDLE("Debug"), 0);
    GN_DPRINT("after");
    EXPECT_EQ(debugWindowText().substr(debugWindowText().size() - 6), "after\n");
}

TEST_F(Services, PathTextIsTheFolderPartWithItsSeparator)
{
    EXPECT_EQ(GN_GETPATHTEXT("/opt/vantor/bin/vantor"), "/opt/vantor/bin/");
    EXPECT_EQ(GN_GETPATHTEXT("C:\\Program Files\\Vantor\\Vantor.exe"), "C:\\Program Files\\Vantor\\");
    EXPECT_EQ(GN_GETPATHTEXT("keys.kdl"), "");
    EXPECT_EQ(GN_GETPATHTEXT(""), "");
    const std::string app = GN_GETAPPPATHNAME();
    ASSERT_FALSE(app.empty());
    EXPECT_EQ(GN_APPPATH(), GN_GETPATHTEXT(app));
    EXPECT_EQ(GN_APPPATH().back(), '/');
    EXPECT_NE(app.find("toolkit_tests"), std::string::npos);
}

TEST_F(Services, ScreenDepthOfAWindowAndTheTestOverride)
{
    makeForm("VANTOR", nullptr);
    const std::intptr_t h = GN_HANDLE("VANTOR");
    EXPECT_EQ(GN_SCREENDEPTH(0), 0);
    EXPECT_GE(GN_SCREENDEPTH(h), 16);
    setScreenDepthOverride(8);
    EXPECT_EQ(GN_SCREENDEPTH(h), 8);
    EXPECT_EQ(GN_SCREENDEPTH(0), 0);
    setScreenDepthOverride(0);
    GN_UNLOADFORM("VANTOR");
    GN_DOEVENTS();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(GN_SCREENDEPTH(h), 0); // the window is gone
}

TEST_F(Services, BusyCursorAndArrowCursor)
{
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    GN_SETBUSYCURSOR();
    GN_SETBUSYCURSOR();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    GN_SETARROWCURSOR();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    GN_SETARROWCURSOR();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Services, MouseCaptureGoesToTheWindowOfTheHandle)
{
    makeForm(
        "PROGBAR", [] { GN_CANVAS(100, 0, 2, 20, 2, "", "S"); }, 20, 6, "CDT");
    GN_SETCAPTUREEX(GN_HANDLE("PROGBAR", 100));
    EXPECT_EQ(QWidget::mouseGrabber(), toolkitControlWidget("PROGBAR", 100));
    GN_RELEASECAPTURE();
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    GN_SETCAPTUREEX(GN_HANDLE("PROGBAR"));
    EXPECT_EQ(QWidget::mouseGrabber(), toolkitFormWidget("PROGBAR"));
    GN_UNLOADFORM("PROGBAR"); // unloading releases it
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    GN_SETCAPTUREEX(0); // unknown handle: nothing
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(Services, FormLevelMouseEventsWhileTheFormHoldsTheCapture)
{
    makeForm(
        "DRAGFORM",
        [] {
            GN_SUBCLASS(2);
            GN_CANVAS(100, 0, 0, 9, 3, "", "{DIB}{24}");
            GN_SUBCLASS(0);
        },
        9, 3, "T");
    QWidget* win = toolkitFormWidget("DRAGFORM");
    GN_SETCAPTUREEX(GN_HANDLE("DragForm"));
    events.clear();
    QTest::mouseMove(win, QPoint(30, 20));
    QTest::mouseRelease(win, Qt::LeftButton, Qt::NoModifier, QPoint(30, 20));
    EXPECT_GE(count(0, 120), 1);
    EXPECT_EQ(count(0, 90), 1);
    EXPECT_EQ(GN_MOUSEX(), 30);
    EXPECT_EQ(GN_MOUSEY(), 20);
    GN_RELEASECAPTURE();
}

TEST_F(Services, PointerPositionRelativeToAFormOrControl)
{
    makeForm(
        "VANTOR", [] { GN_CANVAS(370, 2, 1, 10, 5, "", "S"); }, 40, 20);
    QWidget* client = toolkitControlWidget("VANTOR", 0);
    QCursor::setPos(client->mapToGlobal(QPoint(50, 40)));
    int x = -1, y = -1;
    ASSERT_EQ(GN_GETMOUSEPOS("VANTOR", 0, x, y), 1);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 40);
    ASSERT_EQ(GN_GETMOUSEPOS("vantor", 370, x, y), 1);
    EXPECT_EQ(x, 50 - 16 - 2); // a bordered canvas counts from its pixels
    EXPECT_EQ(y, 40 - 16 - 2);
    EXPECT_EQ(GN_GETMOUSEPOS("NOFORM", 0, x, y), 0);
    EXPECT_EQ(x, 0);
}

TEST_F(Services, LayeredFormTakesItsLevelAndKeyColour)
{
    makeForm(
        "DRAGFORM",
        [] {
            GN_COLOR(15, 7);
            GN_CANVAS(100, 0, 0, 9, 3, "", "{DIB}{24}");
        },
        9, 3, "T");
    GN_SETFORMATTREX("DragForm", 0x00C0C0C0, 80, "AT");
    EXPECT_NEAR(toolkitFormWidget("DRAGFORM")->windowOpacity(), 80 / 255.0, 0.01);
    GN_STARTDRAW("DRAGFORM", 100, 0, 0, "");
    GN_COLOR(15, 15);
    GN_CDRAW(2, 0, 0, 2, 2, 1, 0);
    GN_ENDDRAW();
    const QRegion mask = toolkitFormWidget("DRAGFORM")->mask();
    EXPECT_TRUE(mask.contains(QPoint(1, 1)));
    EXPECT_FALSE(mask.contains(QPoint(10, 10))); // colour 7 is the key colour
}

TEST_F(Services, PicturesComeFromTheResourcesByAnyCaseOfTheirName)
{
    vantor::initResources();
    const std::intptr_t a = GN_LOADPICTURE("$VANTOR5");
    const std::intptr_t b = GN_LOADPICTURE("$vantor5");
    EXPECT_NE(a, 0);
    EXPECT_EQ(a, b);
    EXPECT_NE(GN_LOADICON("$program"), 0);
    EXPECT_EQ(GN_LOADPICTURE("$NOTHING"), 0);
    EXPECT_EQ(GN_LOADPICTURE(""), 0);
    makeForm(
        "VANTOR", [] { GN_PICTURE(820, 0, 0, 116.75, 9.875, "$VANTOR5", ""); }, 120, 12);
    GN_SETFORMICON("VANTOR", GN_LOADICON("$program"));
    EXPECT_FALSE(toolkitFormWidget("VANTOR")->windowIcon().isNull());
    const QImage img = toolkitControlWidget("VANTOR", 820)->grab().toImage();
    const QImage src(":/pictures/VANTOR5.png");
    ASSERT_FALSE(src.isNull());
    EXPECT_EQ(img.pixel(100, 50) & 0xFFFFFF, src.pixel(100, 50) & 0xFFFFFF);
}

TEST_F(Services, FontsAreDefinedFreedAndUsedByControls)
{
    GN_DEFFONT(6, "Tahoma", 18, "L+V");
    GN_DEFFONT(7, "Arial", 12, "BV");
    makeForm("VANTOR", [] {
        GN_USEFONT(7);
        GN_LABEL(100, 0, 0, 10, 2, "Bold", "");
        GN_USEFONT(6);
        GN_TEXTFIELD(280, 0, 3, 4.375, 2.8125, "A", "EHST[1]");
    });
    const QFont f7 = toolkitControlWidget("VANTOR", 100)->font();
    EXPECT_EQ(f7.family(), "Liberation Sans");
    EXPECT_TRUE(f7.bold());
    EXPECT_EQ(f7.pixelSize(), 16);
    EXPECT_EQ(toolkitControlWidget("VANTOR", 280)->font().pixelSize(), 24);
    EXPECT_EQ(GN_GETTEXT("VANTOR", 280), "A");
    GN_FREEFONT(6);
    GN_FREEFONT(7);
}

} // namespace
