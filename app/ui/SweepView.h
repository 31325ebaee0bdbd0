#pragma once

// The degree sweep's view: the sweep chart of the document's last sweep, a degree chosen
// by a click, and "将所选阶数存为曲线" (or a double click on a degree) storing that fit as
// a curve. The frame shows it in place of the chart view (视图 → 阶数扫描图).

#include <QWidget>

#include <optional>

#include "app/core/SweepChart.h"

class CTrendfitDoc;
class QLabel;
class QPainter;
class QPushButton;

class CSweepView : public QWidget {
    Q_OBJECT
public:
    explicit CSweepView(CTrendfitDoc* doc, QWidget* parent = nullptr);

    // The chosen degree, drawn as a grey line; the store button is enabled while the sweep
    // has a successful fit of it. A new sweep chooses its lowest test error (or nothing).
    std::optional<int> SelectedDegree() const { return m_selected; }
    void SelectDegree(std::optional<int> degree);
    // Chooses the degree of the lowest test error of the document's sweep.
    void SelectBestDegree();

    // Stores the chosen degree's fit as a curve; emits curveStored when it was stored.
    void OnStoreSelected();

    // The chart as the view draws it, on any painter, and the widget it is drawn in.
    void DrawChart(IChartPainter& painter, const ChartRect& client) const;
    QWidget* ChartArea() const { return m_chart; }
    // The chart area's paint: the drawing above on the area, whose layout the clicks then
    // map through.
    void PaintChartArea(QPainter& painter);
    QPushButton* StoreButton() const { return m_store; }
    // The degree under a point of the chart area, none outside its plot.
    std::optional<int> DegreeAt(int x) const;
    // Repaints and brings the button's state up to date with the document.
    void Refresh();

    static const char* const kStoreText;  // "将所选阶数存为曲线"

signals:
    void curveStored();

private:
    trendfit::SweepChartData ChartData() const;

    CTrendfitDoc* m_pDoc;
    QWidget* m_chart;
    QLabel* m_choice;
    QPushButton* m_store;
    std::optional<int> m_selected;
    trendfit::SweepChartRenderer m_renderer;
    trendfit::ChartLayout m_layout;  // of the last paint of the chart area
};
