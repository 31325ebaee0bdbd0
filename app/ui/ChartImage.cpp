#include "app/ui/ChartImage.h"

#include <QPainter>
#include <QSvgGenerator>

#include <functional>

#include "app/core/ChartRenderer.h"
#include "app/ui/QtChartPainter.h"

namespace trendfit {

namespace {

// Draws one chart on a chart painter over the whole client.
using ChartDrawing = std::function<void(IChartPainter&, const ChartRect&)>;

void Draw(QPainter& painter, const ChartDrawing& draw, QSize size) {
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    QtChartPainter chart(painter);
    draw(chart, ChartRect{0, 0, size.width(), size.height()});
}

QImage Render(const ChartDrawing& draw, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    Draw(painter, draw, size);
    return image;
}

bool Write(const ChartDrawing& draw, const QString& file, QSize size) {
    if (!file.endsWith(".svg", Qt::CaseInsensitive)) return Render(draw, size).save(file, "PNG");
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle("Trendfit");
    QPainter painter(&svg);
    // A generator that cannot open its file refuses the painter.
    if (!painter.isActive()) return false;
    Draw(painter, draw, size);
    return painter.end();
}

ChartDrawing Scatter(const ChartData& data) {
    return [&data](IChartPainter& painter, const ChartRect& client) { ChartRenderer().Draw(painter, client, data); };
}

ChartDrawing Sweep(const SweepChartData& data) {
    return [&data](IChartPainter& painter, const ChartRect& client) { SweepChartRenderer().Draw(painter, client, data); };
}

}  // namespace

QImage RenderChartImage(const ChartData& data, QSize size) { return Render(Scatter(data), size); }

bool WriteChartImage(const ChartData& data, const QString& file, QSize size) { return Write(Scatter(data), file, size); }

QImage RenderSweepChartImage(const SweepChartData& data, QSize size) { return Render(Sweep(data), size); }

bool WriteSweepChartImage(const SweepChartData& data, const QString& file, QSize size) {
    return Write(Sweep(data), file, size);
}

}  // namespace trendfit
