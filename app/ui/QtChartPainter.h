#pragma once

// The chart painter over a QPainter: the window, the printer and batch images all draw the
// chart through it.

#include <QFont>
#include <QPainter>

#include "app/core/ChartPainter.h"

class QtChartPainter : public IChartPainter {
public:
    explicit QtChartPainter(QPainter& painter);

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

    // The font that stands for the face name "黑体": a CJK sans-serif face.
    static QFont ChartFont(int pointSizeTenths);

private:
    QPainter& m_painter;
    QPoint m_current;
};
