#pragma once
// DeviceContext - a small GDI-like drawing surface over a QImage (Format_RGB32).
//
// Rules (the same as the classic raster calls the program expects):
//  - Colours are QRgb values 0xAARRGGBB; the alpha byte is ignored and written as 0xFF.
//  - Lines exclude their end point: moveTo(0, y); lineTo(w, y) sets x = 0 .. w-1.
//  - Boxes (rectangle, fillRect, ellipse, edge) run from (left, top) to (right, bottom)
//    exclusive of right and bottom; the pen of a frame lies inside the box.
//  - No antialiasing anywhere, text included; everything is clipped to the image.
//  - Nothing here knows about widgets.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

namespace vantor::draw {

class DeviceContext {
public:
    enum class BackgroundMode { Transparent, Opaque };

    // Draws into `image`, which must outlive the context. A non-RGB32 image is
    // converted to RGB32 in place.
    explicit DeviceContext(QImage& image);

    QImage& image() { return *image_; }
    const QImage& image() const { return *image_; }
    int width() const { return image_->width(); }
    int height() const { return image_->height(); }

    // Pen: colour and width in pixels (width < 1 counts as 1); setNullPen() draws no outlines.
    void setPen(QRgb color, int width = 1);
    void setPenColor(QRgb color)
    {
        penColor_ = color;
        penNull_ = false;
    }
    void setPenWidth(int width) { penWidth_ = width < 1 ? 1 : width; }
    void setNullPen() { penNull_ = true; }
    QRgb penColor() const { return penColor_; }
    int penWidth() const { return penWidth_; }

    // Brush for the inside of rectangles and ellipses; setNullBrush() leaves it unfilled.
    void setBrush(QRgb color)
    {
        brushColor_ = color;
        brushNull_ = false;
    }
    void setNullBrush() { brushNull_ = true; }
    bool hasBrush() const { return !brushNull_; }

    // Text colour, background colour and mode (Opaque fills the text's box first).
    void setTextColor(QRgb color) { textColor_ = color; }
    void setBackgroundColor(QRgb color) { backColor_ = color; }
    void setBackgroundMode(BackgroundMode mode) { backMode_ = mode; }
    void setFont(const QFont& font);
    const QFont& font() const { return font_; }

    // Current position and line to a point (the end point itself is not drawn).
    void moveTo(int x, int y)
    {
        curX_ = x;
        curY_ = y;
    }
    void lineTo(int x, int y);
    void line(int x1, int y1, int x2, int y2)
    {
        moveTo(x1, y1);
        lineTo(x2, y2);
    }
    int currentX() const { return curX_; }
    int currentY() const { return curY_; }

    // Frame with the pen (inside the box) and inside filled with the brush.
    void rectangle(int left, int top, int right, int bottom);
    // Fills the box with a colour (no pen).
    void fillRect(int left, int top, int right, int bottom, QRgb color);
    // Ellipse inscribed in the box: outline with the pen, inside with the brush.
    void ellipse(int left, int top, int right, int bottom);
    // Two-pixel 3D edge around the inside of the box, raised or sunken.
    void edge(int left, int top, int right, int bottom, bool raised);

    QRgb pixel(int x, int y) const;          // 0 outside
    void setPixel(int x, int y, QRgb color); // ignored outside

    // Text with its top-left corner at (x, y); "\n" starts a new line.
    void textOut(int x, int y, const QString& text);
    // Text aligned in a box (Qt::Alignment flags such as Qt::AlignCenter).
    void drawText(const QRect& box, int alignment, const QString& text);
    // Size of a text in the current font.
    QSize textExtent(const QString& text) const;

    // Colours of the 3D edge (top-left / bottom-right, outer / inner ring) for a raised edge;
    // a sunken edge swaps the outer and the inner pairs, see edge().
    static constexpr QRgb kEdgeLight = 0xFFFFFFFF;  // raised outer top-left
    static constexpr QRgb kEdgeFace = 0xFFDFDFDF;   // raised inner top-left
    static constexpr QRgb kEdgeShadow = 0xFF808080; // raised inner bottom-right
    static constexpr QRgb kEdgeDark = 0xFF404040;   // raised outer bottom-right

private:
    void plot(int x, int y, QRgb color);
    void stamp(int x, int y, QRgb color);          // pen-width square centred on (x, y)
    void hspan(int x1, int x2, int y, QRgb color); // x1..x2-1

    QImage* image_;
    QRgb penColor_ = 0xFF000000;
    int penWidth_ = 1;
    bool penNull_ = false;
    QRgb brushColor_ = 0xFFFFFFFF;
    bool brushNull_ = true;
    QRgb textColor_ = 0xFF000000;
    QRgb backColor_ = 0xFFFFFFFF;
    BackgroundMode backMode_ = BackgroundMode::Transparent;
    QFont font_;
    int curX_ = 0;
    int curY_ = 0;
};

// A font that is never antialiased (the toolkit's fonts are all made this way).
QFont crispFont(QFont font);

} // namespace vantor::draw
