#include "app/ui/TrendfitView.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>

#include "app/core/TextFormat.h"
#include "app/core/TrendfitDoc.h"
#include "app/ui/ChartImage.h"
#include "app/ui/Commands.h"
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
    // Text is sized and measured as on screen, so a scaled printout keeps the window's layout.
    QtChartPainter chartPainter(painter, this);
    DrawChart(chartPainter, ChartRect{client.left(), client.top(), client.left() + client.width(),
                                      client.top() + client.height()});
}

void CTrendfitView::DrawChart(IChartPainter& painter, const ChartRect& client) const {
    if (m_pDoc != nullptr) m_renderer.Draw(painter, client, m_pDoc->GetChartData(m_options));
}

void CTrendfitView::SetChartOptions(const ChartOptions& options) {
    m_options = options;
    update();
}

void CTrendfitView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    OnDraw(painter, rect());
}

void CTrendfitView::PrintTo(QPrinter& printer) const {
    QPainter painter(&printer);
    // The painter starts at the printable area's corner, in device pixels.
    const double scale = std::min(printer.width() / double(std::max(1, width())),
                                  printer.height() / double(std::max(1, height())));
    painter.translate((printer.width() - width() * scale) / 2.0, 0.0);
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

QString CTrendfitView::AskSaveFile(const QString& caption, const QString& name, const QStringList& filters) {
    QString filter = filters.first();
    QString file = QFileDialog::getSaveFileName(window(), caption, name, filters.join(";;"), &filter);
    if (file.isEmpty()) return file;
    // "PNG 图像 (*.png)" gives ".png".
    const QRegularExpressionMatch suffix = QRegularExpression(R"(\*(\.\w+))").match(filter);
    if (suffix.hasMatch() && QFileInfo(file).suffix().isEmpty()) file += suffix.captured(1);
    return file;
}

void CTrendfitView::ShowWriteError(const QString& file) {
    QMessageBox::warning(window(), trendfit::AppTitle(), QString("无法写入文件：%1").arg(file));
}

void CTrendfitView::OnExportImage() {
    const QString file = AskSaveFile("导出图像", "图表.png", {"PNG 图像 (*.png)", "SVG 图像 (*.svg)"});
    if (file.isEmpty()) return;
    if (!trendfit::WriteChartImage(m_pDoc->GetChartData(m_options), file, size())) ShowWriteError(file);
}

void CTrendfitView::OnCopyImage() {
    QGuiApplication::clipboard()->setImage(trendfit::RenderChartImage(m_pDoc->GetChartData(m_options), size()));
}

void CTrendfitView::OnExportCurve() {
    const CurveResult* curve = m_pDoc->FindCurrentCurve();
    if (curve == nullptr) return;
    const QString file = AskSaveFile("导出曲线", "曲线.csv", {"CSV 文件 (*.csv)"});
    if (file.isEmpty()) return;
    QSaveFile out(file);
    const std::string text = trendfit::CurveCsv(*curve);
    if (!out.open(QIODevice::WriteOnly) || out.write(text.data(), qint64(text.size())) != qint64(text.size()) ||
        !out.commit()) {
        ShowWriteError(file);
    }
}
