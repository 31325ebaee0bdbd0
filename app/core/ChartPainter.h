#pragma once

// The drawing surface the chart paints on. Coordinates are integer device pixels, x growing
// to the right and y downwards. The Qt program implements it over QPainter (window,
// printer, image); the tests record the calls.

#include <cstdint>
#include <string>
#include <vector>

struct ChartColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

inline bool operator==(ChartColor a, ChartColor b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}
inline bool operator!=(ChartColor a, ChartColor b) { return !(a == b); }

// A rectangle by its edges, as a device context takes it: (left, top) to (right, bottom).
struct ChartRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

inline bool operator==(const ChartRect& a, const ChartRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct ChartPoint {
    int x = 0;
    int y = 0;
};

struct ChartSize {
    int width = 0;
    int height = 0;
};

class IChartPainter {
public:
    virtual ~IChartPainter() = default;

    // Selects a font of pointSizeTenths / 10 points with this face name for all later text
    // ("黑体" stands for the platform's CJK sans-serif face).
    virtual void SelectFont(int pointSizeTenths, const std::string& faceName) = 0;
    // Selects a solid pen of this width and colour for outlines and lines.
    virtual void SelectPen(int width, ChartColor color) = 0;
    // Draws the rectangle's outline with the current pen and fills it with the current
    // brush. The chart never selects a brush: the device's default (solid white) applies.
    virtual void Rectangle(const ChartRect& rect) = 0;
    // Draws the ellipse inscribed in the box with the current pen, filled with the current
    // brush (see Rectangle).
    virtual void Ellipse(const ChartRect& box) = 0;
    // Moves the current position without drawing.
    virtual void MoveTo(int x, int y) = 0;
    // Draws a line with the current pen from the current position to (x, y), which becomes
    // the current position.
    virtual void LineTo(int x, int y) = 0;
    // Draws text with its top-left corner at (x, y) in the device's text colour (black).
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    // Draws text on one line, centred horizontally and vertically in the rectangle.
    virtual void DrawTextCentered(const ChartRect& rect, const std::string& text) = 0;
    // Width and height in pixels of the text in the current font.
    virtual ChartSize GetTextExtent(const std::string& text) = 0;
    // Fills the rectangle with a solid brush of this colour, without an outline.
    virtual void FillRect(const ChartRect& rect, ChartColor color) = 0;
    // Fills the polygon through the points, without an outline, with this colour at an
    // opacity of alpha / 255, so what lies under it shows through.
    virtual void FillPolygon(const std::vector<ChartPoint>& points, ChartColor color, int alpha) = 0;
};
