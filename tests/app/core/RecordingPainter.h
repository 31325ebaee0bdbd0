#pragma once

// A chart painter for tests that records every drawing call as one line of text, for the
// logic tests and the window's tests alike.

#include <string>
#include <vector>

#include "app/core/ChartPainter.h"

namespace chart_test {

// Records every drawing call as one line. Text is 8 pixels a character wide, 16 high,
// unless a test sets other sizes.
class RecordingPainter : public IChartPainter {
public:
    std::vector<std::string> calls;
    int charWidth = 8;
    int textHeight = 16;

    static std::string Rect(const ChartRect& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom);
    }
    static std::string Color(ChartColor c) {
        return std::to_string(c.red) + "/" + std::to_string(c.green) + "/" + std::to_string(c.blue);
    }
    static int Characters(const std::string& text) {
        int n = 0;
        for (unsigned char c : text) n += (c & 0xC0) != 0x80;
        return n;
    }

    void SelectFont(int tenths, const std::string& face) override {
        calls.push_back("font " + std::to_string(tenths) + " " + face);
    }
    void SelectPen(int width, ChartColor color) override {
        calls.push_back("pen " + std::to_string(width) + " " + Color(color));
    }
    void Rectangle(const ChartRect& r) override { calls.push_back("rect " + Rect(r)); }
    void Ellipse(const ChartRect& r) override { calls.push_back("ellipse " + Rect(r)); }
    void MoveTo(int x, int y) override { calls.push_back("move " + std::to_string(x) + "," + std::to_string(y)); }
    void LineTo(int x, int y) override { calls.push_back("line " + std::to_string(x) + "," + std::to_string(y)); }
    void TextOut(int x, int y, const std::string& text) override {
        calls.push_back("text " + std::to_string(x) + "," + std::to_string(y) + " " + text);
    }
    void DrawTextCentered(const ChartRect& r, const std::string& text) override {
        calls.push_back("centre " + Rect(r) + " " + text);
    }
    ChartSize GetTextExtent(const std::string& text) override { return ChartSize{charWidth * Characters(text), textHeight}; }
    void FillRect(const ChartRect& r, ChartColor color) override {
        calls.push_back("fill " + Rect(r) + " " + Color(color));
    }
    void FillPolygon(const std::vector<ChartPoint>& points, ChartColor color, int alpha) override {
        std::string call = "polygon " + Color(color) + "@" + std::to_string(alpha);
        for (const ChartPoint& p : points) call += " " + std::to_string(p.x) + "," + std::to_string(p.y);
        calls.push_back(call);
    }

    // The calls that start with `prefix`.
    std::vector<std::string> Starting(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& call : calls) {
            if (call.compare(0, prefix.size(), prefix) == 0) out.push_back(call);
        }
        return out;
    }
};

}  // namespace chart_test
