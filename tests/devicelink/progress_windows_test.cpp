// The search and progress windows on the toolkit (offscreen), and the
// program-wide link with them against the simulator.
#include "devicelink/device_link.h"
#include "devicelink/ui/progress_windows.h"
#include "devicelink/ui/toolkit_link_host.h"
#include "tests/devicelink/test_support.h"

#include "definitions/key_definition.h"
#include "iconeditor/icon_bitmap.h"
#include "toolkit/gantry.h"

#include <QApplication>
#include <QWidget>

using namespace vantor;
using vantor::test::PortEnvironment;

// Fontconfig keeps a cache for the life of the process; the leak checker
// of sanitizer builds is told so (our own allocations are still checked).
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "devicelink_windows_test";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

std::vector<std::string> designed;

void design(const std::string& form)
{
    designed.push_back(form);
    if (form == "PROGBAR")
        progressWindowDesign();
    else if (form == "FINDVANTOR")
        searchWindowDesign();
    else if (form == "VANTOR") {
        // The icon library's set radio and current-number field.
        GN_RADIO(580, 1, 1, 5, 1, "RAM Icons", "");
        GN_TEXTFIELD(600, 1, 3, 5, 1, "1", "");
    }
}

void events(const std::string& form, int id, int code, std::intptr_t value, int& cancel)
{
    if (form == "PROGBAR")
        progressWindowEvents(id, code, value, cancel);
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override
    {
        GN_SETROUTINES(events, design);
        setMessageHook([this](const std::string& caption, const std::string& text) {
            messages.emplace_back(text, caption);
            return 1;
        });
        GN_COLOR(0, 7);
        ASSERT_NE(GN_FORM("VANTOR", "", "main", 0, 0, 80, 30, ""), 0);
        lastProgressShown() = -1;
        designed.clear();
    }
    void TearDown() override
    {
        GN_UNLOADFORM("PROGBAR");
        GN_UNLOADFORM("FINDVANTOR");
        GN_UNLOADFORM("VANTOR");
        setMessageHook({});
        setScreenDepthOverride(0);
    }
    // Pixel of the bar canvas.
    static std::uint32_t px(int x, int y) { return GN_GETPIXEL("PROGBAR", 100, x, y); }
    static void mark()
    {
        int w = 0, h = 0;
        GN_GETCANVASSIZE("PROGBAR", 100, w, h);
        GN_STARTDRAW("PROGBAR", 100, w, h, "");
        GN_COLOR(4, 4);
        GN_CDRAW(2, 0, 0, w, h, 0, 0);
        GN_ENDDRAW();
    }
    std::vector<std::pair<std::string, std::string>> messages;
};

} // namespace

TEST_F(Windows, SearchWindowShowsItsTextAndGoesByName)
{
    showSearchWindow("VANTOR");
    EXPECT_NE(GN_HANDLE("FINDVANTOR"), 0);
    EXPECT_EQ(GN_GETTEXT("FINDVANTOR", 100), "Searching for Vantor");
    EXPECT_NE(GN_HANDLE("FINDVANTOR", 105), 0);
    GN_UNLOADFORM("FindVantor");
    EXPECT_EQ(GN_HANDLE("FINDVANTOR"), 0);
}

TEST_F(Windows, ProgressWindowHasItsLabelsAndTakesTheMouse)
{
    showProgressWindow("VANTOR");
    ASSERT_NE(GN_HANDLE("PROGBAR"), 0);
    EXPECT_EQ(designed, std::vector<std::string>{"PROGBAR"});
    EXPECT_EQ(GN_GETTEXT("PROGBAR", 105), "") << "cleared when the controls are made";
    EXPECT_EQ(GN_GETTEXT("PROGBAR", 110), "Do not press any buttons!");
    EXPECT_EQ(QWidget::mouseGrabber(), toolkitControlWidget("PROGBAR", 100));
}

TEST_F(Windows, ZeroDrawsOnePercent)
{
    showProgressWindow("VANTOR");
    int w = 0, h = 0;
    ASSERT_EQ(GN_GETCANVASSIZE("PROGBAR", 100, w, h), 1);
    ASSERT_GT(w, 100);
    mark();
    const std::uint32_t marked = px(w / 2, 2);
    EXPECT_EQ(showProgress("VANTOR", 0), 1);
    EXPECT_EQ(lastProgressShown(), 1);
    EXPECT_NE(px(w - 2, 2), marked) << "the whole canvas was drawn";
    // A second 0 draws again (0 always does).
    mark();
    EXPECT_EQ(showProgress("VANTOR", 0), 1);
    EXPECT_NE(px(w - 2, 2), marked);
}

TEST_F(Windows, SameValueDrawsOnceAndTheBarHasItsWidth)
{
    showProgressWindow("VANTOR");
    int w = 0, h = 0;
    GN_GETCANVASSIZE("PROGBAR", 100, w, h);
    EXPECT_EQ(showProgress("VANTOR", 37), 1);
    const int edge = static_cast<int>(std::lround(37 * w / 100.0));
    // Bar and background differ on the top row, left and right of the edge.
    EXPECT_NE(px(edge - 3, 0), px(edge + 3, 0));
    EXPECT_EQ(px(edge + 3, 0), px(w - 3, 0));
    mark();
    const std::uint32_t marked = px(2, 2);
    EXPECT_EQ(showProgress("VANTOR", 37), 1);
    EXPECT_EQ(px(2, 2), marked) << "37 again draws nothing";
    EXPECT_EQ(showProgress("VANTOR", 36), 1);
    mark();
    EXPECT_EQ(showProgress("VANTOR", 37), 1);
    EXPECT_NE(px(2, 2), marked) << "37 after 36 draws again";
}

TEST_F(Windows, AboveHundredDrawsHundredReturnsZeroAndReleasesTheMouse)
{
    showProgressWindow("VANTOR");
    int w = 0, h = 0;
    GN_GETCANVASSIZE("PROGBAR", 100, w, h);
    EXPECT_EQ(showProgress("VANTOR", 150), 0);
    EXPECT_EQ(lastProgressShown(), 100);
    EXPECT_EQ(px(w - 3, 0), px(2, 0)) << "the bar fills the canvas";
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    mark();
    const std::uint32_t marked = px(2, 2);
    EXPECT_EQ(showProgress("VANTOR", 100), 0);
    EXPECT_NE(px(2, 2), marked) << "100 always draws";
}

TEST_F(Windows, WithoutProgressWindowNothingIsDrawn)
{
    EXPECT_EQ(showProgress("VANTOR", 50), 0);
    EXPECT_EQ(lastProgressShown(), -1);
}

TEST_F(Windows, FewColoursGiveAFlatBackground)
{
    showProgressWindow("VANTOR");
    int w = 0, h = 0;
    GN_GETCANVASSIZE("PROGBAR", 100, w, h);
    showProgress("VANTOR", 10);
    EXPECT_NE(px(w - 3, 0), px(w - 3, h / 2)) << "a gradient on a true-colour screen";
    setScreenDepthOverride(8);
    showProgress("VANTOR", 20);
    EXPECT_EQ(px(w - 3, 0), px(w - 3, h / 2)) << "flat colour 7 on 256 colours";
    EXPECT_EQ(px(w - 3, 0), static_cast<std::uint32_t>(GN_COLORVALUE(7)));
}

TEST_F(Windows, ProgramWideLinkFindsAndLoadsThroughTheWindows)
{
    PortEnvironment env;
    auto& panel = env.sim(2);
    // The program's part of the host: the library's RAM radio and number
    // field on the main form, and what the link tells it.
    struct ProgramHost final : ToolkitLinkHost {
        std::vector<std::string> calls;
        ProgramHost() : ToolkitLinkHost("VANTOR", 5015) { }
        bool libraryShowsRamIcons() override { return GN_GETCHECK("VANTOR", 580) != 0; }
        int currentIconNumber() override { return std::atoi(GN_GETTEXT("VANTOR", 600).c_str()); }
        void redrawIconLibrary() override { calls.push_back("library"); }
        void focusEditor() override { calls.push_back("focus"); }
    } host;
    std::vector<std::string>& calls = host.calls;
    installLinkHost(host);
    findPanel();
    EXPECT_EQ(serialPort().panelPort, 2);
    EXPECT_EQ(GN_HANDLE("FINDVANTOR"), 0) << "the search window is gone";
    EXPECT_TRUE(messages.empty());
    loadRomIcons();
    EXPECT_EQ(GN_HANDLE("PROGBAR"), 0) << "the progress window is gone";
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(lastProgressShown(), 100);
    for (int i = 0; i < kRomIconCount; ++i)
        EXPECT_EQ(romIcons()[i], panel.icon(IconSet::RomIcons, i));
    // The RAM library is not shown: storing the drawing says so.
    storeRamIcon();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, "Click on Ram Icon and select a Number to save to");
    ASSERT_NE(GN_HANDLE("VANTOR", 580), 0);
    GN_SETCHECK("VANTOR", 580, 1);
    ASSERT_EQ(GN_GETCHECK("VANTOR", 580), 1);
    ASSERT_EQ(GN_GETTEXT("VANTOR", 600), "1");
    GN_SETTEXT("VANTOR", 600, "4");
    editGrid().clear();
    editGrid().at(3, 3) = 1;
    storeRamIcon();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(ramIcons()[3], packIcon(editGrid()));
    EXPECT_EQ(calls, (std::vector<std::string>{"focus", "library"}));
    editGrid().clear();
    serialPort().closePort();
    // Without the program's part: the windows and the message box stay.
    ToolkitLinkHost windowsOnly("VANTOR", 5015);
    installLinkHost(windowsOnly);
    panel.stop();
    // No panel: the scan's message comes through the toolkit's message box.
    findPanel();
    EXPECT_EQ(serialPort().panelPort, 0);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].first, "Could Not Find Vantor");
    EXPECT_EQ(messages[1].second, "Halvern Devices");
    removeLinkHost();
}
