#pragma once

// The charts as pictures: what batch mode writes, the image export saves and the copy
// command puts on the clipboard.

#include <QImage>
#include <QSize>
#include <QString>

#include "app/core/CurveResult.h"
#include "app/core/SweepChart.h"

namespace trendfit {

// The chart of `data` drawn on white at `size` pixels.
QImage RenderChartImage(const ChartData& data, QSize size);

// Writes the chart at `size` as SVG when the file name ends in ".svg" (any case), as PNG
// otherwise. False when the file cannot be written.
bool WriteChartImage(const ChartData& data, const QString& file, QSize size);

// The same for the degree sweep's chart.
QImage RenderSweepChartImage(const SweepChartData& data, QSize size);
bool WriteSweepChartImage(const SweepChartData& data, const QString& file, QSize size);

}  // namespace trendfit
