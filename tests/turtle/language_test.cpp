// Reading commands: letters, pieces, counts, clamping, T arguments, schemes.
#include "turtle/turtle_language.h"

#include "../support/temp_files.h"

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include <string>
#include <vector>

using namespace vantor::turtle;
using vantor::win::RGB;

namespace {

std::vector<Command> readAll(const std::string& text)
{
    TurtleState s;
    std::vector<Command> out;
    while (true) {
        Command c = nextCommand(text, s);
        out.push_back(c);
        if (c.letter == 0 || c.letter == '?')
            return out;
    }
}

Command first(const std::string& text)
{
    return readAll(text).front();
}

} // namespace

TEST(TurtleLanguage, LettersAreCaseBlindAndTheEndIsEmpty)
{
    auto cmds = readAll("p3;d10,10;");
    ASSERT_EQ(cmds.size(), 3u);
    EXPECT_EQ(cmds[0].letter, 'P');
    EXPECT_EQ(cmds[0].count, 1);
    EXPECT_EQ(cmds[0].p[0], 3);
    EXPECT_EQ(cmds[1].letter, 'D');
    EXPECT_EQ(cmds[1].count, 2);
    EXPECT_EQ(cmds[1].p[0], 10);
    EXPECT_EQ(cmds[1].p[1], 10);
    EXPECT_EQ(cmds[2].letter, 0);
}

TEST(TurtleLanguage, EmptyPiecesAreSkippedAndLaterValuesMoveForward)
{
    Command c = first("G20,,30,3;");
    EXPECT_EQ(c.letter, 'G');
    EXPECT_EQ(c.count, 3);
    EXPECT_EQ(c.p[0], 20);
    EXPECT_EQ(c.p[1], 30);
    EXPECT_EQ(c.p[2], 3);
    EXPECT_EQ(first("G20,30;").letter, '?');
    Command blanks = first("D  7 , , 9  ;");
    EXPECT_EQ(blanks.count, 2);
    EXPECT_EQ(blanks.p[0], 7);
    EXPECT_EQ(blanks.p[1], 9);
}

TEST(TurtleLanguage, AClosingSemicolonAloneIsOneParameterZero)
{
    Command c = first("F;");
    EXPECT_EQ(c.letter, 'F');
    EXPECT_EQ(c.count, 1);
    EXPECT_EQ(c.p[0], 0);
}

TEST(TurtleLanguage, NumbersAreTheFloorOfTheirLeadingDecimal)
{
    Command c = first("L12.9,-3.5,2e1,7abc,x;"); // five pieces: L's longest form
    ASSERT_EQ(c.letter, 'L');
    EXPECT_EQ(c.p[0], 12);
    EXPECT_EQ(c.p[1], 0); // -4 clamped into 0..9999
    EXPECT_EQ(c.p[2], 20);
    EXPECT_EQ(c.p[3], 7);
    EXPECT_EQ(c.p[4], 0); // no leading number
    Command i = first("I-2.5,+3,1e400;");
    EXPECT_EQ(i.p[0], -3);
    EXPECT_EQ(i.p[1], 3);
    EXPECT_EQ(i.p[2], 255); // huge, clamped
    // A fraction too small for a double, with or without an exponent, is a
    // fraction of one: it floors to 0, not to the top of the range.
    Command tiny = first("A0." + std::string(400, '0') + "1;");
    ASSERT_EQ(tiny.letter, 'A');
    EXPECT_EQ(tiny.p[0], 0);
    EXPECT_EQ(first("A1e-400;").p[0], 0);
    EXPECT_EQ(first("A" + std::string(400, '0') + "7;").p[0], 7);
    EXPECT_EQ(first("A0.0" + std::string(400, '9') + "e400;").p[0], 100); // huge again
}

TEST(TurtleLanguage, ParametersAreClampedIntoTheirRanges)
{
    EXPECT_EQ(first("W51;").p[0], 50);
    EXPECT_EQ(first("W0;").p[0], 1);
    EXPECT_EQ(first("S9;").p[0], 6);
    Command i = first("I300,0,-300;");
    EXPECT_EQ(i.p[0], 255);
    EXPECT_EQ(i.p[2], -255);
    Command m = first("M-5,20000,0,999;");
    EXPECT_EQ(m.p[0], 0);
    EXPECT_EQ(m.p[1], 9999);
    EXPECT_EQ(m.p[2], 1);
    EXPECT_EQ(m.p[3], 360);
    Command g = first("G40,-1,3,20000,5;");
    EXPECT_EQ(g.p[0], 32);
    EXPECT_EQ(g.p[1], 0);
    EXPECT_EQ(g.p[3], 9999);
    Command o = first("O9,-500;");
    EXPECT_EQ(o.p[0], 6);
    EXPECT_EQ(o.p[1], -100);
    EXPECT_EQ(first("B0;").p[0], 1);
    EXPECT_EQ(first("Z12;").p[0], 8);
}

TEST(TurtleLanguage, CountsFollowEachLettersShape)
{
    struct Case {
        const char* text;
        bool ok;
    };
    const Case cases[] = {
        {"A1;", true},        {"A1,2;", false},      {"C1,2,3;", true},     {"C1,2;", false},
        {"D1,2;", true},      {"D1;", false},        {"E1,2;", true},       {"E1,2,3;", true},
        {"E1,2,3,4;", false}, {"G1,2,3,4,5;", true}, {"G1,2,3,4;", false},  {"L1,2;", true},
        {"L1,2,3;", false},   {"L1,2,3,4;", true},   {"L1,2,3,4,5;", true}, {"L1,2,3,4,5,6;", false},
        {"M1,2;", true},      {"M1,2,3;", false},    {"M1,2,3,4;", true},   {"R1,2,3,4;", true},
        {"U1;", true},        {"U1,2;", false},      {"U15,1,2;", true},    {"V1,2;", false},
        {"O1,2;", true},      {"H1;", true},         {"X1;", true},         {"B1;", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(first(c.text).letter != '?', c.ok) << c.text;
}

TEST(TurtleLanguage, RejectsUnknownLettersBlanksAndMissingSemicolons)
{
    for (const char* bad : {"Q", "Q1;", "J1;", "K;", "N;", "Y;", "?;", " P1;", "1;", "P1", "T text"})
        EXPECT_EQ(first(bad).letter, '?') << bad;
    auto cmds = readAll("F0; P2;");
    ASSERT_EQ(cmds.size(), 2u);
    EXPECT_EQ(cmds[0].letter, 'F');
    EXPECT_EQ(cmds[1].letter, '?'); // the blank
    EXPECT_EQ(first("").letter, 0);
}

TEST(TurtleLanguage, TTakesEverythingUpToTheSemicolon)
{
    Command c = first("TCourier New,BI|Hello, world;");
    EXPECT_EQ(c.letter, 'T');
    EXPECT_EQ(c.text, "Courier New,BI|Hello, world");
    EXPECT_EQ(first("t;").text, "");
}

TEST(TurtleLanguage, TextsLongerThanASixteenBitPositionParseToTheEnd)
{
    std::string text;
    while (text.size() < 100000)
        text += "P2;D1,1;";
    text += "Q";
    TurtleState s;
    size_t commands = 0;
    Command c;
    while ((c = nextCommand(text, s)).letter != 0 && c.letter != '?')
        ++commands;
    EXPECT_EQ(commands, 100000u / 8 * 2);
    EXPECT_EQ(c.letter, '?'); // the Q at the very end is still reached
    EXPECT_EQ(s.parsePosition, text.size() - 1);
}

TEST(TurtleLanguage, TextArgumentSetsFaceStyleAndPendingText)
{
    TurtleState s;
    applyTextArgument(s, "courier new , bi | Hello ");
    EXPECT_EQ(s.textFace, "Courier New");
    EXPECT_EQ(s.textStyle, "BI");
    EXPECT_EQ(s.pendingText, "Hello");
    applyTextArgument(s, "just text ");
    EXPECT_EQ(s.pendingText, "just text ");
    EXPECT_EQ(s.textFace, "Courier New"); // unchanged without "|"
    applyTextArgument(s, "|x");
    EXPECT_EQ(s.textFace, "Arial");
    EXPECT_EQ(s.textStyle, "");
    applyTextArgument(s, "times new roman|y");
    EXPECT_EQ(s.textFace, "Times New Roman");
    applyTextArgument(s, "wingdings|y");
    EXPECT_EQ(s.textFace, "Wingdings");
    applyTextArgument(s, " My Face |y");
    EXPECT_EQ(s.textFace, "My Face");
}

TEST(TurtleLanguage, MakeFontReadsTheStyleLetters)
{
    FontRequest plain = fontRequest("Arial", 12, "");
    EXPECT_EQ(plain.height, -12);
    EXPECT_EQ(plain.weight, 400);
    EXPECT_EQ(plain.quality, 1);
    FontRequest f = fontRequest(std::string(40, 'a'), 20, "xbiu-dsoqfv");
    EXPECT_EQ(f.weight, 900);
    EXPECT_TRUE(f.italic && f.underline && f.strikeOut);
    EXPECT_EQ(f.charSet, 255);
    EXPECT_EQ(f.quality, 2);
    EXPECT_EQ(f.pitchAndFamily, 2);
    EXPECT_EQ(f.face.size(), 31u);
    EXPECT_EQ(fontRequest("Arial", 9, "B").weight, 700);
    EXPECT_EQ(fontRequest("Arial", 9, "S").charSet, 2);
    EXPECT_EQ(fontRequest("Arial", 9, "F").pitchAndFamily, 1);
}

// A Turkish locale upper-cases "i" to a dotted capital, never to "I". Made in a
// private folder when the system has none (localedef), else the C locale stays.
class TurkishLocale {
public:
    TurkishLocale()
    {
        const char* old = std::setlocale(LC_ALL, nullptr);
        saved_ = old ? old : "C";
        for (const char* name : {"tr_TR.ISO-8859-9", "tr_TR.UTF-8", "tr_TR"})
            if (std::setlocale(LC_ALL, name)) {
                active_ = true;
                return;
            }
        const std::string command =
            "localedef -i tr_TR -f ISO-8859-9 '" + (dir_ / "tr_TR.ISO-8859-9").string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            setenv("LOCPATH", dir_.path().c_str(), 1);
            active_ = std::setlocale(LC_ALL, "tr_TR.ISO-8859-9") != nullptr;
        }
    }
    ~TurkishLocale()
    {
        std::setlocale(LC_ALL, saved_.c_str());
        unsetenv("LOCPATH");
    }
    bool active() const { return active_; }

private:
    vantor::test::TempFolder dir_{"vantor-locale"};
    std::string saved_;
    bool active_ = false;
};

TEST(TurtleLanguage, LettersAreUpperCasedTheSameUnderATurkishLocale)
{
    TurkishLocale turkish;
    if (turkish.active())
        EXPECT_NE(std::toupper('i'), 'I') << "the locale does what a Turkish one does";
    else
        std::fprintf(stderr, "no Turkish locale: the C locale is used\n");
    Command invert = first("i10,20,30;");
    EXPECT_EQ(invert.letter, 'I');
    EXPECT_EQ(invert.count, 3);
    FontRequest f = fontRequest("Arial", 9, "bi");
    EXPECT_EQ(f.weight, 700);
    EXPECT_TRUE(f.italic);
    TurtleState s;
    applyTextArgument(s, "courier new , bi | x");
    EXPECT_EQ(s.textFace, "Courier New");
    EXPECT_EQ(s.textStyle, "BI");
}

TEST(TurtleLanguage, DefaultPaletteAndSchemes)
{
    TurtleState s;
    EXPECT_EQ(s.palette[0], RGB(255, 255, 255));
    EXPECT_EQ(s.palette[1], RGB(0, 0, 0));
    EXPECT_EQ(s.palette[3], RGB(0, 255, 0));
    EXPECT_EQ(s.palette[10], RGB(128, 128, 255));
    EXPECT_EQ(s.palette[17], RGB(30, 30, 30));
    EXPECT_EQ(s.palette[32], RGB(220, 220, 220));
    EXPECT_EQ(s.palette[18], RGB(42, 42, 42)); // 30 + 190/15 = 42.67
    loadScheme(s, 1, 0, 0);
    EXPECT_EQ(s.palette[1], RGB(0, 0, 0));
    EXPECT_EQ(s.palette[20], RGB(156, 156, 156)); // 19 x 255/31
    EXPECT_EQ(s.palette[30], RGB(238, 238, 238));
    EXPECT_EQ(s.palette[0], RGB(255, 255, 255));
    loadScheme(s, 8, 0, 0);
    EXPECT_EQ(s.palette[32], RGB(255, 0, 0)); // the end entries are exact
    EXPECT_EQ(s.palette[31], RGB(246, 0, 0));
    EXPECT_EQ(s.palette[2], RGB(8, 0, 0));
    loadScheme(s, 15, 5, 5); // a = b: nothing
    EXPECT_EQ(s.palette[5], RGB(32, 0, 0));
    s.palette[4] = RGB(0, 0, 0);
    s.palette[6] = RGB(100, 200, 50);
    loadScheme(s, 15, 6, 4);
    EXPECT_EQ(s.palette[5], RGB(50, 100, 25));
    s.palette[0] = RGB(1, 2, 3);
    loadScheme(s, 15, 0, 32);
    EXPECT_EQ(s.palette[0], RGB(1, 2, 3)); // the fill colour is never a scheme's
    loadScheme(s, 20, 0, 0);
    EXPECT_EQ(s.palette[2], RGB(0, 0, 255));
}

TEST(TurtleLanguage, PolarPointsUseCompassBearings)
{
    EXPECT_EQ(polarPoint(50, 50, 30, 90).x, 80);
    EXPECT_EQ(polarPoint(50, 50, 30, 180).y, 80);
    EXPECT_EQ(polarPoint(50, 50, 30, 270).x, 20);
    EXPECT_EQ(polarPoint(50, 50, 30, 360).y, 20);
    EXPECT_EQ(polarPoint(50, 50, 30, 0).y, 20);  // 0 is 360
    EXPECT_EQ(polarPoint(50, 50, 30, -5).y, 20); // below 0 is 0
    Point p = polarPoint(50, 50, 30, 150);       // a = 60
    EXPECT_EQ(p.x, 50 + 14);                     // floor(30 cos 60) = floor(14.9999)
    EXPECT_EQ(p.y, 50 + 25);                     // floor(25.98)
    Point q = polarPoint(50, 50, 30, 30);
    EXPECT_EQ(q.x, 50 + 14);
    EXPECT_EQ(q.y, 50 - 25);
    Point r = polarPoint(50, 50, 30, 210);
    EXPECT_EQ(r.x, 50 - 14);
    EXPECT_EQ(r.y, 50 + 25);
    Point t = polarPoint(50, 50, 30, 330);
    EXPECT_EQ(t.x, 50 - 14);
    EXPECT_EQ(t.y, 50 - 25);
    EXPECT_EQ(polarPoint(0, 0, 10, 450).x, 10); // 450 - 360 = 90
}

TEST(TurtleLanguage, NearRoundsHalvesToEven)
{
    EXPECT_EQ(nearEven(0.5), 0);
    EXPECT_EQ(nearEven(1.5), 2);
    EXPECT_EQ(nearEven(2.5), 2);
    EXPECT_EQ(nearEven(-0.5), 0);
    EXPECT_EQ(nearEven(-1.5), -2);
    EXPECT_EQ(nearEven(2.6), 3);
    EXPECT_EQ(nearEven(2.4), 2);
}
