#include "app/ui/ChartImage.h"

#include <QPainter>
#include <QSvgGenerator>

#include "app/core/ChartRenderer.h"
#include "app/ui/QtChartPainter.h"

namespace trendfit {

namespace {

void Draw(QPainter& painter, const ChartData& data, QSize size) {
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    QtChartPainter chart(painter);
    ChartRenderer().Draw(chart, ChartRect{0, 0, size.width(), size.height()}, data);
}

}  // namespace

QImage RenderChartImage(const ChartData& data, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    Draw(painter, data, size);
    return image;
}

bool WriteChartImage(const ChartData& data, const QString& file, QSize size) {
    if (!file.endsWith(".svg", Qt::CaseInsensitive)) return RenderChartImage(data, size).save(file, "PNG");
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle("Trendfit");
    QPainter painter(&svg);
    // A generator that cannot open its file refuses the painter.
    if (!painter.isActive()) return false;
    Draw(painter, data, size);
    return painter.end();
}

}  // namespace trendfit
