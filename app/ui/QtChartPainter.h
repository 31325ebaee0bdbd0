#pragma once

// The chart painter over a QPainter: the window, the printer and images all draw the chart
// through it. Text is sized and measured for a layout device: the painter's own, or the
// window whose layout a scaled painter puts on paper, so fonts scale with everything else.

#include <QFont>
#include <QPainter>

#include "app/core/ChartPainter.h"

class QtChartPainter : public IChartPainter {
public:
    // `layoutDevice` null: the painter's device.
    explicit QtChartPainter(QPainter& painter, const QPaintDevice* layoutDevice = nullptr);

    void SelectFont(int pointSizeTenths, const std::string& faceName) override;
    void SelectPen(int width, ChartColor color) override;
    void Rectangle(const ChartRect& rect) override;
    void Ellipse(const ChartRect& box) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, const std::string& text) override;
    void DrawTextCentered(const ChartRect& rect, const std::string& text) override;
    ChartSize GetTextExtent(const std::string& text) override;
    void FillRect(const ChartRect& rect, ChartColor color) override;
    void FillPolygon(const std::vector<ChartPoint>& points, ChartColor color, int alpha) override;

    // The font that stands for the face name "黑体": a CJK sans-serif face, its point
    // size turned into pixels at `dpi`.
    static QFont ChartFont(int pointSizeTenths, int dpi);

private:
    QPainter& m_painter;
    const QPaintDevice& m_layoutDevice;
    QPoint m_current;
};
