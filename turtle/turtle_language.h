#pragma once
// The turtle command language: a picture as a string of commands, each a letter,
// numeric parameters separated by commas and a closing ";", for instance
// "V1;U1;G20,30,3;" (a vertical grey gradient). See docs in turtle/README.md.
#include "platform/gdi/win_types.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace vantor::turtle {

using win::COLORREF;

// One command as nextCommand reads it.
struct Command {
    char letter = 0;             // upper case; 0 at the end of the text, '?' when rejected
    int count = 0;               // number of non-empty parameter pieces
    std::array<int32_t, 10> p{}; // p[0] is p1; parameters not given stay 0
    std::string text;            // the argument of T
};

struct IncrementSet {
    std::array<int32_t, 7> d{}; // d[1]..d[6]: x, y, width, height, length, angle
};

struct TurtleState {
    std::array<COLORREF, 33> palette{}; // 0 = fill colour, 1..32 selectable
    int penColorIndex = 1;
    int penWidth = 1;
    int penStyle = 0;
    int fillStyle = 0;      // 0 solid, 1..6 hatch style + 1
    int backgroundMode = 2; // 2 opaque, 1 transparent
    int posX = 0, posY = 0; // shape anchor, relative to (left, top)
    bool virtualOn = false;
    float virtualW = 0, virtualH = 0;
    int centreMode = 0;
    int animationStep = 0;
    int incrementSet = 0; // 0 = none, 1..8
    std::array<IncrementSet, 9> increments{};
    std::string pendingText;
    std::string textFace = "Arial";
    std::string textStyle;
    size_t parsePosition = 0; // 0-based index of the next byte

    TurtleState();
};

// Reads the command at state.parsePosition and moves past it.
Command nextCommand(std::string_view text, TurtleState& state);

// Whether `count` parameters are allowed for `letter` (upper case).
bool countAllowed(char letter, int count);

// Palette helpers.
void defaultScheme(TurtleState& state);
void gradientFill(TurtleState& state, int a, int b);
void loadScheme(TurtleState& state, int scheme, int a, int b);

// Rounds to the nearest integer, halves to the even neighbour.
long nearEven(double v);

struct Point {
    long x = 0, y = 0;
};
// A compass bearing from (x, y): 360 up, 90 right, 180 down, 270 left.
Point polarPoint(long x, long y, long length, long angle);

// The T argument: pending text and font.
void applyTextArgument(TurtleState& state, std::string_view argument);

// makeFont's CreateFontA arguments for a style string.
struct FontRequest {
    int height = 0;
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    int charSet = 0;
    int quality = 1;
    int pitchAndFamily = 0;
    std::string face;
};
FontRequest fontRequest(const std::string& face, int size, const std::string& style);

} // namespace vantor::turtle
