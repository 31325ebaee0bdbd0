#include "app/ui/SweepView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "app/core/TrendfitDoc.h"
#include "app/ui/QtChartPainter.h"

const char* const CSweepView::kStoreText = "将所选阶数存为曲线";

namespace {

// The white area the sweep chart is painted in; clicks choose a degree, double clicks store it.
class SweepChartArea : public QWidget {
public:
    SweepChartArea(CSweepView* view, QWidget* parent) : QWidget(parent), m_view(view) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(200, 150);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        m_view->PaintChartArea(painter);
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
        if (const std::optional<int> degree = m_view->DegreeAt(event->position().toPoint().x())) {
            m_view->SelectDegree(degree);
        }
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
        if (const std::optional<int> degree = m_view->DegreeAt(event->position().toPoint().x())) {
            m_view->SelectDegree(degree);
            m_view->OnStoreSelected();
        }
    }

private:
    CSweepView* m_view;
};

}  // namespace

CSweepView::CSweepView(CTrendfitDoc* doc, QWidget* parent) : QWidget(parent), m_pDoc(doc) {
    m_chart = new SweepChartArea(this, this);
    m_choice = new QLabel(this);
    m_store = new QPushButton(kStoreText, this);
    connect(m_store, &QPushButton::clicked, this, &CSweepView::OnStoreSelected);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(6, 0, 0, 0);
    row->addWidget(new QLabel("单击选择阶数，双击存为曲线。", this));
    row->addStretch(1);
    row->addWidget(m_choice);
    row->addWidget(m_store);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 6, 6);
    layout->addWidget(m_chart, 1);
    layout->addLayout(row);
    Refresh();
}

trendfit::SweepChartData CSweepView::ChartData() const {
    trendfit::SweepChartData data = m_pDoc != nullptr ? m_pDoc->GetSweepChartData() : trendfit::SweepChartData{};
    data.selectedDegree = m_selected;
    return data;
}

void CSweepView::DrawChart(IChartPainter& painter, const ChartRect& client) const {
    m_renderer.Draw(painter, client, ChartData());
}

void CSweepView::PaintChartArea(QPainter& painter) {
    painter.fillRect(m_chart->rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QtChartPainter chart(painter, m_chart);
    m_layout = m_renderer.Draw(chart, ChartRect{0, 0, m_chart->width(), m_chart->height()}, ChartData());
}

std::optional<int> CSweepView::DegreeAt(int x) const { return trendfit::SweepDegreeAt(m_layout, ChartData(), x); }

void CSweepView::SelectDegree(std::optional<int> degree) {
    m_selected = degree;
    Refresh();
}

void CSweepView::SelectBestDegree() { SelectDegree(ChartData().bestDegree); }

void CSweepView::Refresh() {
    const std::vector<trendfit::SweepChartPoint> points = ChartData().points;
    const bool storable = m_selected && std::any_of(points.begin(), points.end(),
                                                    [this](const auto& p) { return p.degree == *m_selected; });
    m_store->setEnabled(storable);
    m_choice->setText(storable ? QString("所选阶数: %1次").arg(*m_selected) : QString());
    m_chart->update();
}

void CSweepView::OnStoreSelected() {
    if (m_pDoc == nullptr || !m_selected) return;
    if (m_pDoc->StoreSweepCurve(*m_selected)) emit curveStored();
}
