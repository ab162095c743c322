#pragma once
// The arithmetic of the glossy face of owner-drawn buttons: a colour gradient that
// is brightest on the middle row and darkens towards the upper and lower edges,
// tinted by a style number; flat on screens of fewer than 16 bits per pixel.
// Pure functions, so the exact colours can be checked without a window.
#include <vector>

namespace vantor {

// A colour in tenths: 0..2550 stands for 0..255.0.
struct Tenths {
    int r = 0, g = 0, b = 0;
    bool operator==(const Tenths&) const = default;
};

// One horizontal line of the face, from (0, y) to (width, y), in 0..255 components.
struct GradientLine {
    int y = 0;
    int red = 0, green = 0, blue = 0;
    bool operator==(const GradientLine&) const = default;
};

// The base colour of the middle row (`resetBase`).
Tenths gradientBase(int disabled, int pressed, int style, int screenDepth);

// The step d by which each row further out darkens; 0 on a flat (under 16-bit) face
// and for an empty surface.
int gradientStep(int width, int height, int pressed, const Tenths& base, int screenDepth);

// One row further out (`darken`): every component loses d, then the style tints
// (not when disabled or on a flat face), then each component is clamped to 0..2550.
void darken(Tenths& colour, int d, int style, int disabled, int screenDepth);

// Every line of the face in drawing order: the upper half from the middle row up to
// row 0, then the lower half from the middle row down to row `height`. Nothing for a
// surface without width or height.
std::vector<GradientLine> gradientLines(int width, int height, int disabled, int pressed, int style,
                                        int screenDepth);

} // namespace vantor
