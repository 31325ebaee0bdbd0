#include "app/ui/QtChartPainter.h"

#include <QFontMetrics>
#include <QPolygon>

#include <algorithm>

namespace {

QColor ToQColor(ChartColor c) { return QColor(c.red, c.green, c.blue); }

// A device-context rectangle covers left..right-1 and top..bottom-1.
QRect ToQRect(const ChartRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

}  // namespace

QtChartPainter::QtChartPainter(QPainter& painter, const QPaintDevice* layoutDevice)
    : m_painter(painter), m_layoutDevice(layoutDevice != nullptr ? *layoutDevice : *painter.device()) {
    m_painter.setBrush(Qt::white);
    m_painter.setPen(QPen(Qt::black, 1));
}

QFont QtChartPainter::ChartFont(int pointSizeTenths, int dpi) {
    QFont font;
    font.setFamilies({"Noto Sans CJK SC", "Noto Sans CJK", "WenQuanYi Zen Hei", "Sans Serif"});
    font.setStyleHint(QFont::SansSerif);
    // In pixels of the painter's coordinates, which a printout scales onto the page.
    font.setPixelSize(std::max(1, qRound(pointSizeTenths / 10.0 * dpi / 72.0)));
    return font;
}

void QtChartPainter::SelectFont(int pointSizeTenths, const std::string&) {
    m_painter.setFont(ChartFont(pointSizeTenths, m_layoutDevice.logicalDpiY()));
}

void QtChartPainter::SelectPen(int width, ChartColor color) {
    m_painter.setPen(QPen(ToQColor(color), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void QtChartPainter::Rectangle(const ChartRect& rect) { m_painter.drawRect(ToQRect(rect)); }

void QtChartPainter::Ellipse(const ChartRect& box) { m_painter.drawEllipse(ToQRect(box)); }

void QtChartPainter::MoveTo(int x, int y) { m_current = QPoint(x, y); }

void QtChartPainter::LineTo(int x, int y) {
    const QPoint next(x, y);
    m_painter.drawLine(m_current, next);
    m_current = next;
}

void QtChartPainter::TextOut(int x, int y, const std::string& text) {
    const QFontMetrics metrics(m_painter.font(), &m_layoutDevice);
    QPen pen = m_painter.pen();
    m_painter.setPen(Qt::black);
    m_painter.drawText(QPoint(x, y + metrics.ascent()), QString::fromStdString(text));
    m_painter.setPen(pen);
}

void QtChartPainter::DrawTextCentered(const ChartRect& rect, const std::string& text) {
    QPen pen = m_painter.pen();
    m_painter.setPen(Qt::black);
    m_painter.drawText(ToQRect(rect), Qt::AlignCenter | Qt::TextSingleLine,
                       QString::fromStdString(text));
    m_painter.setPen(pen);
}

ChartSize QtChartPainter::GetTextExtent(const std::string& text) {
    const QFontMetrics metrics(m_painter.font(), &m_layoutDevice);
    return {metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height()};
}

void QtChartPainter::FillRect(const ChartRect& rect, ChartColor color) {
    m_painter.fillRect(ToQRect(rect), ToQColor(color));
}

void QtChartPainter::FillPolygon(const std::vector<ChartPoint>& points, ChartColor color, int alpha) {
    QPolygon polygon;
    polygon.reserve(static_cast<int>(points.size()));
    for (const ChartPoint& p : points) polygon << QPoint(p.x, p.y);
    m_painter.save();
    m_painter.setPen(Qt::NoPen);
    QColor fill = ToQColor(color);
    fill.setAlpha(alpha);
    m_painter.setBrush(fill);
    m_painter.drawPolygon(polygon);
    m_painter.restore();
}
