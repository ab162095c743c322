// The turtle picture hosted in a toolkit form: the widget loads the library from
// beside the program, shows the control's gradient, passes clicks, keeps later
// controls above it and reports rejected commands.
#include "toolkit/gantry.h"
#include "toolkit/turtle_picture.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace {

std::function<void(const std::string&)> g_design;
void noEvents(const std::string&, int, int, std::intptr_t, int&)
{ }
void design(const std::string& form)
{
    if (g_design)
        g_design(form);
}

class TurtleHost : public ::testing::Test {
protected:
    void SetUp() override { GN_SETROUTINES(noEvents, design); }
    void TearDown() override
    {
        GN_UNLOADFORM("FINDVANTOR");
        g_design = nullptr;
    }
};

} // namespace

TEST_F(TurtleHost, FormBackgroundShowsTheGreyGradient)
{
    g_design = [](const std::string&) {
        GN_TURTLEPICTURE(105, 0, 0, 41, 12, "V1;U1;G20,30,3;", "");
        GN_LABEL(100, 0.25, 1.375, 27.5, 1.3125, "Searching for Vantor", "");
    };
    ASSERT_NE(GN_FORM("FINDVANTOR", "", "Searching", 0, 0, 42, 13, ""), 0);
    auto* picture = dynamic_cast<TurtlePicture*>(toolkitControlWidget("FINDVANTOR", 105));
    ASSERT_NE(picture, nullptr);
    ASSERT_TRUE(picture->hasControl()) << "the turtle library was not found beside the program";
    QApplication::processEvents();
    QImage image = picture->picture();
    ASSERT_EQ(image.size(), picture->size());
    ASSERT_GT(image.height(), 1);
    EXPECT_EQ(image.pixel(0, image.height() - 1) & 0xFFFFFF, 0x9C9C9Cu); // entry 20
    EXPECT_EQ(image.pixel(image.width() - 1, 0) & 0xFFFFFF, 0xEEEEEEu);  // entry 30
    // The grab of the widget shows the same picture.
    QImage shown = picture->grab().toImage();
    if (const char* shot = std::getenv("VANTOR_TURTLE_SHOT"))
        toolkitFormWidget("FINDVANTOR")->grab().save(shot);
    EXPECT_EQ(shown.pixel(5, shown.height() - 1) & 0xFFFFFF, 0x9C9C9Cu);
    // The label made afterwards stays above the picture.
    QWidget* label = toolkitControlWidget("FINDVANTOR", 100);
    ASSERT_NE(label, nullptr);
    QWidget* client = picture->parentWidget();
    EXPECT_EQ(client->childAt(label->geometry().center()), label);
}

TEST_F(TurtleHost, ClicksResizesAndRejectedTexts)
{
    g_design = [](const std::string&) { GN_TURTLEPICTURE(105, 0, 0, 41, 12, "V1;U1;G20,30,3;", ""); };
    ASSERT_NE(GN_FORM("FINDVANTOR", "", "Searching", 0, 0, 42, 13, ""), 0);
    auto* picture = dynamic_cast<TurtlePicture*>(toolkitControlWidget("FINDVANTOR", 105));
    ASSERT_TRUE(picture && picture->hasControl());
    picture->resize(300, 100);
    QApplication::processEvents();
    EXPECT_EQ(picture->picture().size(), QSize(300, 100));
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(149, 40));
    EXPECT_EQ(picture->lastNotification(), 0);
    EXPECT_EQ(picture->sendToControl(0x464, 10, 1), 5);
    EXPECT_EQ(picture->sendToControl(0x465, 0, 0), 40);
    picture->setCommands("F;P2;D3,3;");
    QImage image = picture->picture();
    EXPECT_EQ(image.pixel(3, 3) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(image.pixel(100, 50) & 0xFFFFFF, 0xFFFFFFu);
    picture->setCommands("Q");
    EXPECT_EQ(picture->lastNotification(), 9999);
    EXPECT_EQ(picture->picture().pixel(3, 3) & 0xFFFFFF, 0x0000FFu); // what was drawn stays
    // Text set through the toolkit reaches the control as well.
    GN_SETTEXT("FINDVANTOR", 105, "F1;");
    EXPECT_EQ(picture->picture().pixel(3, 3) & 0xFFFFFF, 0xFFFF00u);
    EXPECT_EQ(picture->cursor().shape(), Qt::ArrowCursor);
}
