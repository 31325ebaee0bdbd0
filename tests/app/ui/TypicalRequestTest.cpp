// The road of a typical request through the real main frame: simulated data through its
// dialog, two computations, then choosing curves in the data tree. The output, the tree,
// the grid, the window title and the view's drawing must follow each step.

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>

#include "app/core/ChartRenderer.h"
#include "app/core/DegreeLimit.h"
#include "app/core/TrendfitDoc.h"
#include "app/ui/ClassView.h"
#include "app/ui/Commands.h"
#include "app/ui/DataDialogs.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OutputWnd.h"
#include "app/ui/PropertiesWnd.h"
#include "app/ui/SweepView.h"
#include "app/ui/QtChartPainter.h"
#include "app/ui/TrendfitView.h"
#include "tests/app/core/RecordingPainter.h"
#include "tests/app/ui/UiTestSupport.h"

using namespace trendfit;

namespace {

// A value as the grid shows it: ten significant digits.
QString GridText(double value) { return QString::number(value, 'g', 10); }

// Every row of the grid as "group/name=value", depth first.
QStringList GridRows(const CPropertiesWnd* pane) {
    QStringList rows;
    QTreeWidget* grid = pane->Grid();
    for (int i = 0; i < grid->topLevelItemCount(); ++i) {
        QTreeWidgetItem* group = grid->topLevelItem(i);
        rows << group->text(0);
        for (int j = 0; j < group->childCount(); ++j) {
            rows << group->text(0) + "/" + group->child(j)->text(0) + "=" + group->child(j)->text(1);
        }
    }
    return rows;
}

// The grid's "Trendfit" rows a curve must produce.
QStringList CurveRows(const CurveResult& curve) {
    QStringList rows{"Trendfit", "Trendfit/L1=" + GridText(curve.lambdaL1), "Trendfit/L2=" + GridText(curve.lambdaL2),
                     "Trendfit/训练方差=" + GridText(curve.trainError),
                     "Trendfit/测试方差=" + GridText(curve.testError)};
    for (std::size_t i = 0; i < curve.coefficients.size(); ++i) {
        rows << QString("Trendfit/X%1=%2").arg(i).arg(GridText(curve.coefficients[i]));
    }
    return rows << "拟合评价" << "拟合评价/训练R²=" + GridText(curve.trainQuality.rSquared)
                << "拟合评价/测试R²=" + GridText(curve.testQuality.rSquared)
                << "拟合评价/训练RMSE=" + GridText(curve.trainQuality.rmse)
                << "拟合评价/测试RMSE=" + GridText(curve.testQuality.rmse);
}

// What the view must show: the document's points with this curve, drawn as the view draws.
QImage ExpectedChart(const CTrendfitDoc& doc, const CurveResult& curve, QSize size) {
    ChartData data;
    data.trainPoints = doc.TrainPoints();
    data.testPoints = doc.TestPoints();
    data.minX = doc.MinX();
    data.minY = doc.MinY();
    data.maxX = doc.MaxX();
    data.maxY = doc.MaxY();
    data.coefficients = curve.coefficients;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QtChartPainter chart(painter);
    ChartRenderer().Draw(chart, ChartRect{0, 0, size.width(), size.height()}, data);
    return image;
}

QImage Shown(CTrendfitView* view) { return view->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Where the chart's ink is on a picture of it: the frame (the outermost dark pixels, as
// every text lies inside it) and the legend's first text (the grey ink right of the blue
// swatch, on its rows).
struct ChartInk {
    QRect frame;
    QRect legendText;
};

ChartInk MeasureChart(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    auto dark = [](QRgb p) {
        return qRed(p) < 128 && qGreen(p) < 128 && qBlue(p) < 128 && std::abs(qRed(p) - qBlue(p)) < 40;
    };
    auto blue = [](QRgb p) { return qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60; };
    ChartInk ink;
    int swatchRight = -1;  // the legend's swatch is the rightmost blue: markers stay in the plot
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (dark(p)) ink.frame |= QRect(x, y, 1, 1);
            if (blue(p)) swatchRight = std::max(swatchRight, x);
        }
    }
    if (swatchRight < 2) return ink;
    QRect swatch;
    for (int y = 0; y < image.height(); ++y) {
        if (blue(image.pixel(swatchRight - 2, y))) swatch |= QRect(swatchRight - 2, y, 1, 1);
    }
    // The text ends before the frame's right line, however thick the line is drawn.
    int edge = ink.frame.right();
    while (edge > swatchRight && dark(image.pixel(edge, ink.frame.center().y()))) --edge;
    for (int y = swatch.top() - swatch.height() / 2; y <= swatch.bottom() + swatch.height() / 2; ++y) {
        for (int x = swatchRight + 1; x < edge; ++x) {
            if (dark(image.pixel(x, y))) ink.legendText |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

// Counts the paint events of the widget it watches.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// What one run of a dialog saw before OK closed it.
struct DialogSeen {
    bool opened = false;
    QStringList texts;     // the edits' texts when it opened, by the ids asked for
    QStringList refusals;  // messages of refused OKs
    bool stayedOpen = true;
    QString focusAfterRefusal;
};

}  // namespace

class TypicalRequestTest : public QObject {
    Q_OBJECT

private:
    ui_test::IsolatedSettings* m_settings = nullptr;
    CMainFrame* m_frame = nullptr;
    CTrendfitDoc* m_doc = nullptr;

    QStringList InfoLines() const { return ui_test::Lines(m_frame->OutputWnd()->List(0)); }
    QTreeWidgetItem* Root() const { return m_frame->ClassView()->Root(); }

    // Runs "模拟数据" with the given count (refusing `badCount` first, if given) on the
    // range -2 to 2 with noise 0.05.
    DialogSeen Simulate(const QString& count, const QString& badCount = {}, const QString& percent = "20") {
        DialogSeen seen;
        ui_test::ModalWatch<SimulationDataDialog> watch([&](SimulationDataDialog* dialog) {
            seen.opened = true;
            for (int id : {1008, 1005, 1003, 1004, 1009}) seen.texts << ui_test::Text(dialog, id);
            if (!badCount.isEmpty()) {
                ui_test::SetText(dialog, 1005, badCount);
                ui_test::MessageBoxWatch box;
                ui_test::ClickOk(dialog);
                seen.refusals << box.Text();
                seen.stayedOpen = dialog->isVisible();
                if (QWidget* focus = dialog->focusWidget()) seen.focusAfterRefusal = focus->objectName();
            }
            ui_test::SetText(dialog, 1005, count);
            ui_test::SetText(dialog, 1008, percent);
            ui_test::SetText(dialog, 1003, "-2");
            ui_test::SetText(dialog, 1004, "2");
            ui_test::SetText(dialog, 1009, "0.05");
            ui_test::ClickOkOrCancel(dialog);
        });
        m_frame->Action(ID_SIMULATION_DATA)->trigger();
        QApplication::processEvents();
        return seen;
    }

    // Runs "Trendfit" with the degree and, when given, a ridge or a lasso weight.
    DialogSeen Compute(const QString& degree, const QString& ridge = {}, const QString& lasso = {}) {
        DialogSeen seen;
        ui_test::ModalWatch<StartComputeDialog> watch([&](StartComputeDialog* dialog) {
            seen.opened = true;
            for (int id : {1013, 1018, 1016}) seen.texts << ui_test::Text(dialog, id);
            ui_test::SetText(dialog, 1013, degree);
            if (!ridge.isEmpty()) {
                ui_test::Child<QCheckBox>(dialog, "1015")->click();
                ui_test::SetText(dialog, 1016, ridge);
            }
            if (!lasso.isEmpty()) {
                ui_test::Child<QCheckBox>(dialog, "1017")->click();
                ui_test::SetText(dialog, 1018, lasso);
            }
            ui_test::ClickOkOrCancel(dialog);
        });
        m_frame->Action(ID_COMPUTE)->trigger();
        QApplication::processEvents();
        return seen;
    }

private slots:
    void initTestCase() {
        m_settings = new ui_test::IsolatedSettings;
        ui_test::IsolatedSettings::Clear();
        QVERIFY(theApp.InitInstance());
        m_frame = theApp.MainFrame();
        m_doc = theApp.Document();
        m_frame->resize(1400, 900);
        QVERIFY(QTest::qWaitForWindowExposed(m_frame));
    }

    void cleanupTestCase() {
        theApp.ExitInstance();
        delete m_settings;
    }

    void startsWithoutData() {
        QCOMPARE(InfoLines(), (QStringList{"系统已经启动。", "导入数据文件或创建模拟数据", "开始数据Trendfit拟合计算..."}));
        QCOMPARE(m_frame->ClassView()->Tree()->topLevelItemCount(), 0);
        QVERIFY(!m_frame->Action(ID_COMPUTE)->isEnabled());
        QVERIFY(!m_doc->HasData());
        // Empty data: only the centred "没有数据" is drawn, so the view is not blank.
        QImage shown = Shown(m_frame->View());
        QImage blank(shown.size(), QImage::Format_RGB32);
        blank.fill(Qt::white);
        QVERIFY(shown != blank);
    }

    void simulatedDataFillsTreeOutputGridAndTitle() {
        const DialogSeen seen = Simulate("200", "0");
        QVERIFY(seen.opened);
        QCOMPARE(seen.texts, (QStringList{"20", "1000", "-3", "3", "0.1"}));
        QCOMPARE(seen.refusals, QStringList{"请输入一个介于 1 和 100000 之间的整数。"});
        QVERIFY(seen.stayedOpen);
        QCOMPARE(seen.focusAfterRefusal, QString("1005"));

        QVERIFY(m_doc->HasData());
        QCOMPARE(m_doc->TrainPoints().size(), std::size_t(160));
        QCOMPARE(m_doc->TestPoints().size(), std::size_t(40));
        QCOMPARE(InfoLines().mid(3), (QStringList{"创建模拟数据:正弦sin,x取值范围:-2.000000 至 2.000000, 噪声:0.050000",
                                                 "训练数据数量:160,测试数据数量:40"}));
        QCOMPARE(m_frame->OutputWnd()->List(0)->currentRow(), 4);
        QCOMPARE(m_frame->ClassView()->Tree()->topLevelItemCount(), 1);
        QCOMPARE(Root()->text(0), QString("模拟数据"));
        QVERIFY(Root()->font(0).bold());
        QCOMPARE(Root()->childCount(), 0);
        CPropertiesWnd* grid = m_frame->PropertiesWnd();
        QCOMPARE(grid->Value("数据", "文件"), QString("否"));
        QCOMPARE(grid->Value("数据", "文件名"), QString(""));
        QCOMPARE(grid->Value("数据数量", "训练数据"), QString("160"));
        QCOMPARE(grid->Value("数据数量", "测试数据"), QString("40"));
        QCOMPARE(m_frame->windowTitle(), QString("模拟数据-Trendfit"));
        QTRY_VERIFY(m_frame->Action(ID_COMPUTE)->isEnabled());
        QCOMPARE(Shown(m_frame->View()), ExpectedChart(*m_doc, CurveResult{}, m_frame->View()->size()));
    }

    void computingTwiceAddsTwoCurves() {
        DialogSeen first = Compute("3");
        QVERIFY(first.opened);
        QCOMPARE(first.texts, (QStringList{"1", "0", "0"}));
        QCOMPARE(m_doc->Curves().size(), std::size_t(1));
        QCOMPARE(ui_test::MaskMilliseconds(InfoLines().mid(5)),
                 (QStringList{"开始计算3次曲线...", "计算结束，用时:#毫秒。", ""}));

        // Every run of the dialog starts from its defaults again.
        DialogSeen second = Compute("2", "0.5");
        QCOMPARE(second.texts, (QStringList{"1", "0", "0"}));
        QCOMPARE(m_doc->Curves().size(), std::size_t(2));
        QCOMPARE(ui_test::MaskMilliseconds(InfoLines().mid(8)),
                 (QStringList{"开始计算2次曲线...", "岭回归(Ridge)计算结束，用时:#毫秒。", ""}));
        QCOMPARE(m_frame->OutputWnd()->List(0)->currentRow(), InfoLines().size() - 1);

        QCOMPARE(Root()->childCount(), 2);
        QVERIFY(Root()->isExpanded());
        QCOMPARE(Root()->child(0)->text(0), QString("3次曲线"));
        QCOMPARE(Root()->child(1)->text(0), QString("2次曲线(Ridge)"));
        QCOMPARE(Root()->child(0)->data(0, Qt::UserRole).toInt(), 0);
        QCOMPARE(Root()->child(1)->data(0, Qt::UserRole).toInt(), 1);
        QCOMPARE(m_frame->ClassView()->Tree()->currentItem(), Root()->child(1));

        const CurveResult& ridge = m_doc->Curves().at(1);
        QCOMPARE(ridge.coefficients.size(), std::size_t(3));
        QCOMPARE(ridge.lambdaL2, 0.5);
        QCOMPARE(m_doc->CurrentCurve(), std::size_t(1));
        QCOMPARE(GridRows(m_frame->PropertiesWnd()).mid(6), CurveRows(ridge));
        QCOMPARE(m_doc->GetChartData().coefficients, ridge.coefficients);
        QCOMPARE(Shown(m_frame->View()), ExpectedChart(*m_doc, ridge, m_frame->View()->size()));
    }

    void choosingTheFirstCurveBringsItBack() {
        const CurveResult& cubic = m_doc->Curves().at(0);
        QCOMPARE(cubic.coefficients.size(), std::size_t(4));
        const QImage before = Shown(m_frame->View());
        m_frame->ClassView()->Tree()->setCurrentItem(Root()->child(0));
        QCOMPARE(m_doc->CurrentCurve(), std::size_t(0));
        const ChartData snapshot = m_doc->GetChartData();
        QCOMPARE(snapshot.coefficients, cubic.coefficients);
        QCOMPARE(snapshot.trainError, cubic.trainError);
        QCOMPARE(snapshot.testError, cubic.testError);
        QCOMPARE(GridRows(m_frame->PropertiesWnd()).mid(6), CurveRows(cubic));
        const QImage after = Shown(m_frame->View());
        QVERIFY(after != before);
        QCOMPARE(after, ExpectedChart(*m_doc, cubic, m_frame->View()->size()));
        // Choosing curves adds nothing to the output.
        QCOMPARE(InfoLines().size(), 11);
    }

    void choosingTheRootChangesNothing() {
        const QStringList grid = GridRows(m_frame->PropertiesWnd());
        const QImage shown = Shown(m_frame->View());
        m_frame->ClassView()->Tree()->setCurrentItem(Root());
        QCOMPARE(m_frame->ClassView()->Tree()->currentItem(), Root());
        QCOMPARE(m_doc->CurrentCurve(), std::size_t(0));
        QCOMPARE(m_doc->GetChartData().coefficients, m_doc->Curves().at(0).coefficients);
        QCOMPARE(GridRows(m_frame->PropertiesWnd()), grid);
        QCOMPARE(Shown(m_frame->View()), shown);
        QCOMPARE(InfoLines().size(), 11);
    }

    void rightClickOnACurveChoosesIt() {
        QTreeWidget* tree = m_frame->ClassView()->Tree();
        QTreeWidgetItem* ridge = Root()->child(1);
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(ridge).center());
        QCOMPARE(tree->currentItem(), ridge);
        QCOMPARE(m_doc->CurrentCurve(), std::size_t(1));
        QCOMPARE(GridRows(m_frame->PropertiesWnd()).mid(6), CurveRows(m_doc->Curves().at(1)));
    }

    void unknownPropertyNameChangesNothing() {
        const QStringList grid = GridRows(m_frame->PropertiesWnd());
        QVERIFY(g_pPropetyChange != nullptr);
        g_pPropetyChange->SetPropertyValue("没有这个属性", "1");
        g_pPropetyChange->SetPropertyValue("x0", "1");
        QCOMPARE(GridRows(m_frame->PropertiesWnd()), grid);
    }

    void newDataStartsAFreshTree() {
        const DialogSeen seen = Simulate("50");
        QVERIFY(seen.opened);
        QCOMPARE(seen.texts, (QStringList{"20", "1000", "-3", "3", "0.1"}));
        QCOMPARE(Root()->childCount(), 0);
        QCOMPARE(m_doc->Curves().size(), std::size_t(0));
        QCOMPARE(InfoLines().mid(11), (QStringList{"创建模拟数据:正弦sin,x取值范围:-2.000000 至 2.000000, 噪声:0.050000",
                                                  "训练数据数量:40,测试数据数量:10"}));
        QCOMPARE(m_frame->PropertiesWnd()->Value("数据数量", "训练数据"), QString("40"));
        // The dropped curves' values are gone from the grid too.
        QCOMPARE(GridRows(m_frame->PropertiesWnd()).mid(6),
                 (QStringList{"Trendfit", "Trendfit/训练方差=", "Trendfit/测试方差=", "拟合评价", "拟合评价/训练R²=",
                              "拟合评价/测试R²=", "拟合评价/训练RMSE=", "拟合评价/测试RMSE="}));
        QCOMPARE(Shown(m_frame->View()), ExpectedChart(*m_doc, CurveResult{}, m_frame->View()->size()));
        // The next curve is a new one: the tree names it by the new index.
        Compute("1");
        QCOMPARE(Root()->childCount(), 1);
        QCOMPARE(Root()->child(0)->text(0), QString("1次曲线"));
        QCOMPARE(m_doc->Curves().size(), std::size_t(1));
    }

    void viewOptionsAddTheBandAndEveryCurve() {
        // Curves of the fresh data: 1次曲线 from above, a plain cubic, a ridge and a lasso line.
        Compute("3");
        Compute("2", "0.5");
        Compute("1", {}, "0.1");
        QCOMPARE(Root()->childCount(), 4);
        CTrendfitView* view = m_frame->View();
        auto record = [view] {
            chart_test::RecordingPainter painter;
            view->DrawChart(painter, ChartRect{0, 0, view->width(), view->height()});
            return painter.Starting("");
        };
        QAction* band = m_frame->Action(ID_VIEW_BAND);
        QAction* all = m_frame->Action(ID_VIEW_ALL_CURVES);
        QVERIFY(band->isCheckable() && !band->isChecked() && all->isCheckable() && !all->isChecked());
        const QImage plain = Shown(view);

        // A lasso curve has no band: the chart stays, the status bar says why.
        band->trigger();
        QVERIFY(view->Options().band);
        QCOMPARE(m_frame->StatusMessage(),
                 QString("Lasso与弹性网络曲线不绘制置信带：置信带由最小二乘的协方差算出，只适用于普通与岭回归曲线。"));
        QCOMPARE(Shown(view), plain);
        // The ridge curve has one, filled around it; the note goes.
        m_frame->ClassView()->Tree()->setCurrentItem(Root()->child(2));
        QCOMPARE(m_frame->StatusMessage(), QString("就绪"));
        const std::vector<std::string> banded = record();
        const auto isPolygon = [](const std::string& call) { return call.rfind("polygon 255/0/0@48 ", 0) == 0; };
        QCOMPARE(std::count_if(banded.begin(), banded.end(), isPolygon), 1L);
        const QImage ridgeWithBand = Shown(view);
        band->trigger();
        QVERIFY(Shown(view) != ridgeWithBand);

        // Every stored curve: one polyline each, the current one last in the red pen, and
        // the legend names them as the tree does.
        all->trigger();
        const std::vector<std::string> calls = record();
        const auto points = std::find(calls.rbegin(), calls.rend(), "pen 6 255/0/255").base();
        const auto legend = std::find_if(points, calls.end(), [](const std::string& c) { return c.rfind("fill ", 0) == 0; });
        QStringList pens;
        for (auto it = points; it != legend; ++it) {
            if (it->rfind("pen ", 0) == 0) pens << QString::fromStdString(*it);
        }
        QCOMPARE(pens, (QStringList{"pen 2 0/150/0", "pen 2 255/140/0", "pen 2 140/80/20", "pen 3 255/0/0"}));
        QStringList named;
        for (auto it = legend; it != calls.end(); ++it) {
            for (int i = 0; i < Root()->childCount(); ++i) {
                if (QString::fromStdString(*it).endsWith(" " + Root()->child(i)->text(0))) named << Root()->child(i)->text(0);
            }
        }
        QCOMPARE(named, (QStringList{"1次曲线", "3次曲线", "2次曲线(Ridge)", "1次曲线(Lasso)"}));
        all->trigger();
        QCOMPARE(Shown(view), ExpectedChart(*m_doc, m_doc->Curves().at(2), view->size()));
    }

    void viewContextMenuOffersDisabledEditCommands() {
        CTrendfitView* view = m_frame->View();
        auto shownMenu = [view]() -> QMenu* {
            for (QMenu* menu : view->findChildren<QMenu*>()) {
                if (menu->isVisible()) return menu;
            }
            return nullptr;
        };
        // Pressing the right button opens nothing yet; its release opens the menu there.
        const QPoint where(40, 30);
        QContextMenuEvent press(QContextMenuEvent::Mouse, where, view->mapToGlobal(where));
        QApplication::sendEvent(view, &press);
        QVERIFY(shownMenu() == nullptr);
        QTest::mouseRelease(view, Qt::RightButton, {}, where);
        QMenu* shown = shownMenu();
        QVERIFY(shown != nullptr);
        QStringList texts;
        for (QAction* action : shown->actions()) {
            texts << action->text();
            QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
        }
        QCOMPARE(texts, (QStringList{"剪切(&T)\tCtrl+X", "复制(&C)\tCtrl+C", "粘贴(&P)\tCtrl+V"}));
        QCOMPARE(shown->pos(), view->mapToGlobal(where));
        shown->close();
        QTRY_VERIFY(shownMenu() == nullptr);

        // The keyboard's menu key opens it too.
        const QPoint key(120, 90);
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, key, view->mapToGlobal(key));
        QApplication::sendEvent(view, &menuKey);
        shown = shownMenu();
        QVERIFY(shown != nullptr);
        QCOMPARE(shown->actions().size(), 3);
        QCOMPARE(shown->pos(), view->mapToGlobal(key));
        shown->close();
    }

    void printingFitsTheWindowsChartToThePage() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("chart.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        m_frame->View()->PrintTo(printer);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QVERIFY(content.startsWith("%PDF"));
        QVERIFY(content.contains("/Count 1"));  // one page

        // The page as a reader sees it, at 300 dots per inch.
        QProcess raster;
        raster.start("pdftoppm", {"-r", "300", "-png", "-singlefile", pdf, dir.filePath("page")});
        QVERIFY2(raster.waitForFinished(60000) && raster.exitCode() == 0, "pdftoppm (poppler-utils) renders the page");
        const QImage page(dir.filePath("page.png"));
        QVERIFY(!page.isNull());
        const QRect printable = printer.pageLayout().paintRectPixels(300);
        const ChartInk onPage = MeasureChart(page);
        const ChartInk onScreen = MeasureChart(Shown(m_frame->View()));
        QVERIFY(onPage.frame.isValid() && onScreen.frame.isValid());
        // Nothing is cut off: the frame lies on the printable area and spans most of it.
        QVERIFY(printable.contains(onPage.frame));
        QVERIFY2(onPage.frame.width() >= 0.8 * printable.width(),
                 qPrintable(QString("%1 of %2").arg(onPage.frame.width()).arg(printable.width())));
        // Text is as large against the chart as on screen.
        const double pageRatio = onPage.legendText.height() / double(onPage.frame.width());
        const double screenRatio = onScreen.legendText.height() / double(onScreen.frame.width());
        QVERIFY2(std::abs(pageRatio / screenRatio - 1.0) <= 0.1,
                 qPrintable(QString("text height / chart width %1 on paper, %2 on screen").arg(pageRatio).arg(screenRatio)));
        const double pageWidthRatio = onPage.legendText.width() / double(onPage.frame.width());
        const double screenWidthRatio = onScreen.legendText.width() / double(onScreen.frame.width());
        QVERIFY(std::abs(pageWidthRatio / screenWidthRatio - 1.0) <= 0.1);
    }

    void printPreviewShowsOnePage() {
        int pages = -1;
        ui_test::ModalWatch<QPrintPreviewDialog> watch([&](QPrintPreviewDialog* preview) {
            if (auto* widget = preview->findChild<QPrintPreviewWidget*>()) {
                widget->updatePreview();
                pages = widget->pageCount();
            }
            preview->reject();
        });
        m_frame->Action(ID_FILE_PRINT_PREVIEW)->trigger();
        QVERIFY(watch.Seen());
        QCOMPARE(pages, 1);
    }

    void aFailingFitIsShownAndStoresNothing() {
        // Every point a test point: nothing to fit on.
        QVERIFY(Simulate("30", {}, "100").opened);
        QCOMPARE(m_doc->TrainPoints().size(), std::size_t(0));
        const int lines = InfoLines().size();
        ui_test::MessageBoxWatch box;
        QVERIFY(Compute("2").opened);
        QTRY_VERIFY(box.Seen());
        QCOMPARE(box.Title(), QString("Trendfit工具"));
        QVERIFY(!box.Text().isEmpty());
        QCOMPARE(InfoLines().mid(lines), QStringList{"开始计算2次曲线..."});
        QCOMPARE(m_doc->Curves().size(), std::size_t(0));
        QCOMPARE(Root()->childCount(), 0);
    }

    void cancelledDialogChangesNothing() {
        const QStringList lines = InfoLines();
        const int children = Root()->childCount();
        const std::size_t points = m_doc->TestPoints().size();
        ui_test::ModalWatch<SimulationDataDialog> watch([](SimulationDataDialog* dialog) { dialog->reject(); });
        m_frame->Action(ID_SIMULATION_DATA)->trigger();
        QVERIFY(watch.Seen());
        QCOMPARE(InfoLines(), lines);
        QCOMPARE(Root()->childCount(), children);
        QCOMPARE(m_doc->TestPoints().size(), points);
    }

    void sweepViewMarksItsMinimumAndStoresADegree() {
        QVERIFY(Simulate("1000").opened);
        QAction* sweepView = m_frame->Action(ID_VIEW_SWEEP);
        QVERIFY(m_frame->Action(ID_DEGREE_SWEEP)->isEnabled());
        QVERIFY(sweepView->isCheckable() && !sweepView->isChecked());
        const int curves = Root()->childCount();
        const int start = InfoLines().size();

        // The dialog starts at 1 ... 15 and refuses bad ranges with its messages.
        QStringList opened;
        QStringList refusals;
        ui_test::ModalWatch<DegreeSweepDialog> watch([&](DegreeSweepDialog* dialog) {
            opened << ui_test::Text(dialog, 1021) << ui_test::Text(dialog, 1022);
            for (const auto& [low, high] : {std::pair<QString, QString>{"1", "0"}, {"5", "3"}}) {
                ui_test::SetText(dialog, 1021, low);
                ui_test::SetText(dialog, 1022, high);
                ui_test::MessageBoxWatch box;
                ui_test::ClickOk(dialog);
                refusals << box.Text();
            }
            ui_test::SetText(dialog, 1021, "1");
            ui_test::SetText(dialog, 1022, "12");
            ui_test::ClickOkOrCancel(dialog);
        });
        m_frame->Action(ID_DEGREE_SWEEP)->trigger();
        QApplication::processEvents();
        QCOMPARE(opened, (QStringList{"1", "15"}));
        QCOMPARE(refusals, (QStringList{"请输入一个介于 1 和 2147483647 之间的整数。", "最高阶数不能低于最低阶数。"}));

        // The sweep view takes the chart's place with the best degree chosen and marked.
        const trendfit::DegreeSweep* sweep = m_doc->Sweep();
        QVERIFY(sweep != nullptr);
        const std::optional<std::size_t> lowest = LowestTestError(*sweep);
        QVERIFY(lowest.has_value());
        const int best = sweep->points[*lowest].degree;
        CSweepView* view = m_frame->SweepView();
        QVERIFY(sweepView->isChecked());
        QVERIFY(view->isVisible());
        QVERIFY(!m_frame->View()->isVisible());
        QCOMPARE(view->SelectedDegree(), std::optional<int>(best));
        QVERIFY(view->StoreButton()->isEnabled());
        QCOMPARE(view->StoreButton()->text(), QString("将所选阶数存为曲线"));
        const QStringList lines = InfoLines().mid(start);
        QCOMPARE(lines.size(), 16);
        QCOMPARE(lines[0], QString("开始阶数扫描:1次至12次..."));
        QCOMPARE(lines[14], QString("测试误差最小的阶数: %1次").arg(best));
        QWidget* area = view->ChartArea();
        chart_test::RecordingPainter painter;
        view->DrawChart(painter, ChartRect{0, 0, area->width(), area->height()});
        const std::vector<std::string> calls = painter.Starting("");
        const auto ring = std::find(calls.begin(), calls.end(), "pen 3 255/0/0");
        QVERIFY(ring != calls.end() && ring + 2 < calls.end());
        QVERIFY(QString::fromStdString(ring[1]).startsWith("ellipse "));
        QVERIFY(QString::fromStdString(ring[2]).endsWith(QString(" %1次").arg(best)));
        for (const char* legend : {"训练误差", "测试误差", "最小测试误差"}) {
            QVERIFY2(std::any_of(calls.begin(), calls.end(),
                                 [&](const std::string& c) { return QString::fromStdString(c).endsWith(QString(" ") + legend); }),
                     legend);
        }

        // A double click on a degree's column stores its fit and shows it on the chart; the
        // columns map through the layout of the area's last paint.
        area->repaint();
        int column = -1;
        for (int x = 0; x < area->width() && column < 0; ++x) {
            if (view->DegreeAt(x) == 2) column = x + 5;
        }
        QVERIFY(column > 0 && view->DegreeAt(column) == 2);
        QTest::mouseDClick(area, Qt::LeftButton, {}, QPoint(column, area->height() / 2));
        QCOMPARE(Root()->childCount(), curves + 1);
        QCOMPARE(Root()->child(curves)->text(0), QString("2次曲线"));
        QCOMPARE(m_doc->FindCurrentCurve()->coefficients, sweep->points[1].outcome.curve.coefficients);
        QVERIFY(!sweepView->isChecked());
        QVERIFY(m_frame->View()->isVisible());
        QCOMPARE(InfoLines().mid(start + 16), (QStringList{"由阶数扫描存储2次曲线。", ""}));

        // The button stores the chosen degree the same way.
        sweepView->trigger();
        QVERIFY(view->isVisible());
        view->SelectDegree(best);
        view->StoreButton()->click();
        QCOMPARE(Root()->childCount(), curves + 2);
        QCOMPARE(m_doc->FindCurrentCurve()->testError, sweep->points[*lowest].outcome.curve.testError);
    }

    void aLongFitCanBeCancelled() {
        // 10000 points in [-2, 2], all for training, and 3/5 of the limit: the fit takes
        // about a third of the limit's seconds, well over half a second, so the progress
        // dialog comes.
        QVERIFY(Simulate("10000", {}, "0").opened);
        QVERIFY(Compute("1").opened);
        const QStringList lines = InfoLines();
        const QStringList grid = GridRows(m_frame->PropertiesWnd());
        const ChartData before = m_doc->GetChartData();
        const int degree = MaxFitDegree(10000, 2.0, false).degree * 3 / 5;

        // The view repaints while the fit runs; the dialog then takes the input.
        PaintCounter counter;
        m_frame->View()->installEventFilter(&counter);
        QTimer::singleShot(100, m_frame->View(), [this] { m_frame->View()->update(); });
        QString label;
        bool modal = false;
        int paints = -1;
        ui_test::ModalWatch<QProgressDialog> progress([&](QProgressDialog* dialog) {
            label = dialog->labelText();
            modal = QApplication::activeModalWidget() == dialog;
            paints = counter.paints;
            dialog->findChild<QPushButton*>()->click();
        });
        QVERIFY(Compute(QString::number(degree)).opened);
        m_frame->View()->removeEventFilter(&counter);
        QVERIFY(progress.Seen());
        QCOMPARE(label, QString("正在计算%1次曲线...").arg(degree));
        QVERIFY(modal);
        QVERIFY(paints > 0);

        // Nothing of the fit reaches the document, now or when it ends in the background.
        const QStringList added{QString("开始计算%1次曲线...").arg(degree), "计算已取消。"};
        QCOMPARE(InfoLines(), lines + added);
        QCOMPARE(m_doc->Curves().size(), std::size_t(1));
        QCOMPARE(m_doc->CurrentCurve(), std::size_t(0));
        QCOMPARE(m_doc->GetChartData().coefficients, before.coefficients);
        QCOMPARE(GridRows(m_frame->PropertiesWnd()), grid);
        QCOMPARE(Root()->childCount(), 1);
    }

    void aLongSweepCountsItsDegreesAndCanBeCancelled() {
        // Degrees 1 ... 150 on the 10000 points above take many seconds.
        const QStringList lines = InfoLines();
        const trendfit::DegreeSweep* before = m_doc->Sweep();
        QString label;
        int steps = 0;
        ui_test::ModalWatch<QProgressDialog> progress([&](QProgressDialog* dialog) {
            label = dialog->labelText();
            QTRY_VERIFY(dialog->maximum() > 0);  // the bar counts degrees once the first is done
            steps = dialog->maximum();
            dialog->findChild<QPushButton*>()->click();
        });
        ui_test::ModalWatch<DegreeSweepDialog> watch([&](DegreeSweepDialog* dialog) {
            ui_test::SetText(dialog, 1022, "150");
            ui_test::ClickOkOrCancel(dialog);
        });
        m_frame->Action(ID_DEGREE_SWEEP)->trigger();
        QApplication::processEvents();
        QVERIFY(progress.Seen());
        QCOMPARE(label, QString("正在进行阶数扫描(1次至150次)..."));
        QCOMPARE(steps, 150);
        QCOMPARE(InfoLines(), lines + (QStringList{"开始阶数扫描:1次至150次...", "计算已取消。"}));
        QCOMPARE(m_doc->Sweep(), before);
        QCOMPARE(Root()->childCount(), 1);
        QVERIFY(!m_frame->Action(ID_VIEW_SWEEP)->isChecked());
    }
};

QTEST_MAIN(TypicalRequestTest)
#include "TypicalRequestTest.moc"
