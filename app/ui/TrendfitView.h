#pragma once

// The chart view: on every paint it takes the document's snapshot and draws the chart into
// its client area. Printing and print preview run the same drawing, laid out on the
// view's client rectangle and scaled onto the page; the image export and copy draw it at
// the view's size as batch mode does.

#include <QWidget>

#include <memory>

#include "app/core/ChartRenderer.h"

class CTrendfitDoc;
class QPrinter;

class CTrendfitView : public QWidget {
    Q_OBJECT
public:
    explicit CTrendfitView(CTrendfitDoc* doc, QWidget* parent = nullptr);
    ~CTrendfitView() override;

    CTrendfitDoc* GetDocument() const { return m_pDoc; }

    // Draws the chart of the document's current snapshot into `client` on any painter.
    void OnDraw(QPainter& painter, const QRect& client) const;
    // The same drawing on any chart painter.
    void DrawChart(IChartPainter& painter, const ChartRect& client) const;

    // What the chart adds to the specified drawing: "置信带" and "显示全部曲线". Off by
    // default; setting them repaints. Prints and exported pictures show them too.
    void SetChartOptions(const ChartOptions& options);
    const ChartOptions& Options() const { return m_options; }

    // Print (Ctrl+P), print preview and print setup share one printer.
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    // One page: the window's chart scaled uniformly, pens and fonts with it, to the
    // printable width of the page (or its height, should that be the narrower fit).
    void PrintTo(QPrinter& printer) const;

    // "导出图像...": asks for a PNG or SVG file and writes the chart at the view's size.
    void OnExportImage();
    // "复制图像": puts the chart, at the view's size, on the clipboard.
    void OnCopyImage();
    // "导出曲线...": asks for a CSV file and writes the current curve to it.
    void OnExportCurve();

    // The context menu with "剪切(&T)", "复制(&C)", "粘贴(&P)", all disabled: no window
    // handles them. The right button's release or the keyboard's menu key opens it.
    QMenu* CreateContextMenu();

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPrinter& Printer();
    void ShowContextMenu(const QPoint& globalPos);
    // Asks where to save; the name gets the chosen filter's suffix when it has none.
    // Empty when the user cancels.
    QString AskSaveFile(const QString& caption, const QString& name, const QStringList& filters);
    void ShowWriteError(const QString& file);

    CTrendfitDoc* m_pDoc;
    std::unique_ptr<QPrinter> m_printer;
    trendfit::ChartRenderer m_renderer;
    ChartOptions m_options;
};
