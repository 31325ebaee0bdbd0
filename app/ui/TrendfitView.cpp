#include "app/ui/TrendfitView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "app/core/TrendfitDoc.h"
#include "app/ui/QtChartPainter.h"

CTrendfitView::CTrendfitView(CTrendfitDoc* doc, QWidget* parent) : QWidget(parent), m_pDoc(doc) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
}

CTrendfitView::~CTrendfitView() = default;

void CTrendfitView::OnDraw(QPainter& painter, const QRect& client) const {
    if (m_pDoc == nullptr) return;
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QtChartPainter chartPainter(painter);
    const ChartRect rect{client.left(), client.top(), client.left() + client.width(),
                         client.top() + client.height()};
    m_renderer.Draw(chartPainter, rect, m_pDoc->GetChartData());
}

void CTrendfitView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    OnDraw(painter, rect());
}

void CTrendfitView::PrintTo(QPrinter& printer) const {
    QPainter painter(&printer);
    // Lay the chart out on the window's client rectangle, then scale it onto the page.
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(page.width() / double(std::max(1, width())),
                                  page.height() / double(std::max(1, height())));
    painter.scale(scale, scale);
    OnDraw(painter, rect());
}

QPrinter& CTrendfitView::Printer() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void CTrendfitView::OnFilePrint() {
    QPrintDialog dialog(&Printer(), window());
    if (dialog.exec() == QDialog::Accepted) PrintTo(Printer());
}

void CTrendfitView::OnFilePrintSetup() {
    QPageSetupDialog dialog(&Printer(), window());
    dialog.exec();
}

void CTrendfitView::OnFilePrintPreview() {
    QPrintPreviewDialog preview(&Printer(), window());
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { PrintTo(*p); });
    preview.exec();
}

QMenu* CTrendfitView::CreateContextMenu() {
    auto* menu = new QMenu(this);
    for (const char* text : {"剪切(&T)\tCtrl+X", "复制(&C)\tCtrl+C", "粘贴(&P)\tCtrl+V"}) {
        menu->addAction(QString::fromUtf8(text))->setEnabled(false);
    }
    return menu;
}

void CTrendfitView::ShowContextMenu(const QPoint& globalPos) {
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

void CTrendfitView::contextMenuEvent(QContextMenuEvent* event) {
    // The mouse opens the menu when its right button is released (below); the menu key
    // and Shift+F10 open it here.
    if (event->reason() == QContextMenuEvent::Mouse) return;
    ShowContextMenu(event->globalPos());
}

void CTrendfitView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        ShowContextMenu(event->globalPosition().toPoint());
        return;
    }
    QWidget::mouseReleaseEvent(event);
}
