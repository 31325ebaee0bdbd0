// Batch mode in process: the lines it prints equal the window's "信息" lines for the same
// run, its images are written with the window's drawing, and bad options are refused with
// a message and a non-zero status.

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTreeWidgetItem>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <utility>

#include "app/core/ChartRenderer.h"
#include "app/core/DegreeLimit.h"
#include "app/core/TextFormat.h"
#include "app/core/TrendfitDoc.h"
#include "app/ui/BatchMode.h"
#include "app/ui/ChartImage.h"
#include "app/ui/ClassView.h"
#include "app/ui/Commands.h"
#include "app/ui/DataDialogs.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OutputWnd.h"
#include "app/ui/QtChartPainter.h"
#include "app/ui/TrendfitView.h"
#include "tests/app/ui/UiTestSupport.h"

using namespace trendfit;

namespace {

struct BatchRun {
    int status = -1;
    QString out;
    QString err;
    QStringList Lines() const {
        QStringList lines = out.split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();  // the final line feed
        return lines;
    }
};

BatchRun Run(const QStringList& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    BatchRun run;
    run.status = RunBatch(arguments, out, err);
    run.out = QString::fromStdString(out.str());
    run.err = QString::fromStdString(err.str());
    return run;
}

// The program itself, built beside the tests; empty when it is not there.
QString ProgramPath() {
    const QString path = QCoreApplication::applicationDirPath() + "/../../app/trendfit";
    return QFileInfo(path).isExecutable() ? QFileInfo(path).canonicalFilePath() : QString();
}

struct ProgramRun {
    int status = -1;
    QString out;
    QString err;
};

// Runs the program to its end, without any display (no DISPLAY, no Wayland, no platform
// chosen) unless `platform` names one.
ProgramRun RunProgram(const QString& program, const QStringList& arguments, const QString& platform = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    if (!platform.isEmpty()) env.insert("QT_QPA_PLATFORM", platform);
    // A user's session has a runtime directory; without one Qt warns on standard error.
    QTemporaryDir runtime;
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return run;
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// 12 points on y = x*x - x, exactly representable.
const QByteArray kCsv = "x,y\n-2,6\n-1.5,3.75\n-1,2\n-0.5,0.75\n0,0\n0.5,-0.25\n1,0\n1.5,0.75\n"
                        "2,2\n2.5,3.75\n3,6\n3.5,8.75\n";

// y = (x - 1005)^2 at x = 1000, 1000.5, ..., 1010: at degree 4 the normal equations lose
// its coefficients, the stable fit keeps them (the figures are in the document's tests).
QByteArray FarFromZeroCsv() {
    QByteArray csv = "x,y\n";
    for (int k = 0; k <= 20; ++k) {
        const double x = 1000.0 + 0.5 * k;
        csv += QByteArray::number(x, 'g', 17) + "," + QByteArray::number((x - 1005.0) * (x - 1005.0), 'g', 17) + "\n";
    }
    return csv;
}

// Lasso at a weight near the largest double over x from 0.01 to 0.1: the coefficients
// overflow.
const QByteArray kSmallX = "x,y\n0.01,1\n0.02,2\n0.03,3\n0.04,4\n0.05,5\n0.06,6\n0.07,7\n0.08,8\n0.09,9\n0.1,10\n";

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

}  // namespace

class BatchModeTest : public QObject {
    Q_OBJECT

private:
    ui_test::IsolatedSettings* m_settings = nullptr;
    QTemporaryDir m_dir;
    QString m_csv;
    QString m_threeColumns;
    QString m_far;
    QString m_smallX;
    CMainFrame* m_frame = nullptr;

    QStringList InfoLines() const { return ui_test::Lines(m_frame->OutputWnd()->List(0)); }

    // Runs a command of the window whose dialog `fill` completes before OK is pressed.
    template <class Dialog>
    bool RunCommand(int id, std::function<void(Dialog*)> fill) {
        ui_test::ModalWatch<Dialog> watch([&](Dialog* dialog) {
            fill(dialog);
            ui_test::ClickOkOrCancel(dialog);
        });
        m_frame->Action(id)->trigger();
        return watch.Seen();
    }

private slots:
    void initTestCase() {
        m_settings = new ui_test::IsolatedSettings;
        ui_test::IsolatedSettings::Clear();
        m_csv = m_dir.filePath("parabola.csv");
        m_threeColumns = m_dir.filePath("three.csv");
        QFile csv(m_csv);
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write(kCsv);
        csv.close();
        QFile three(m_threeColumns);
        QVERIFY(three.open(QIODevice::WriteOnly));
        three.write("a,b,c\n1,2,3\n");
        three.close();
        QVERIFY(QDir(m_dir.path()).mkdir("folder.svg"));
        m_far = m_dir.filePath("far.csv");
        WriteFile(m_far, FarFromZeroCsv());
        m_smallX = m_dir.filePath("small-x.csv");
        WriteFile(m_smallX, kSmallX);
        QVERIFY(theApp.InitInstance());
        m_frame = theApp.MainFrame();
    }

    void cleanupTestCase() {
        theApp.ExitInstance();
        delete m_settings;
    }

    void simulatedRunPrintsTheWindowsLines() {
        const int start = InfoLines().size();
        QVERIFY(RunCommand<SimulationDataDialog>(ID_SIMULATION_DATA, [](SimulationDataDialog* d) {
            ui_test::SetText(d, 1005, "300");
            ui_test::SetText(d, 1003, "-1.5");
            ui_test::SetText(d, 1004, "2.5");
            ui_test::SetText(d, 1009, "0.2");
            ui_test::SetText(d, 1008, "10");
            ui_test::Child<QAbstractButton>(d, "1001")->click();
            ui_test::Child<QAbstractButton>(d, "1007")->click();
        }));
        QVERIFY(RunCommand<StartComputeDialog>(ID_COMPUTE, [](StartComputeDialog* d) {
            ui_test::SetText(d, 1013, "3");
            ui_test::Child<QCheckBox>(d, "1017")->click();
            ui_test::SetText(d, 1018, "0.01");
        }));
        const QStringList window = InfoLines().mid(start);
        QCOMPARE(window.size(), 5);

        const BatchRun batch = Run({"--batch", "--function", "square", "--count", "300", "--xmin", "-1.5",
                                    "--xmax", "2.5", "--noise", "0.2", "--noise-kind", "normal",
                                    "--test-percent", "10", "--degree", "3", "--lasso", "0.01"});
        QCOMPARE(batch.err, QString());
        QCOMPARE(batch.status, 0);
        QCOMPARE(ui_test::MaskMilliseconds(batch.Lines()), ui_test::MaskMilliseconds(window));
        QCOMPARE(batch.Lines().value(0), QString("创建模拟数据:二次曲线,x取值范围:-1.500000 至 2.500000, 噪声:0.200000"));
        QCOMPARE(batch.Lines().value(1), QString("训练数据数量:270,测试数据数量:30"));
        QCOMPARE(ui_test::MaskMilliseconds(batch.Lines().value(3)), QString("Lasso回归计算结束，用时:#毫秒。"));
    }

    void importedRunPrintsTheWindowsLinesAndDrawsTheWindowsChart() {
        const int start = InfoLines().size();
        QVERIFY(RunCommand<FileDataDialog>(ID_FILE_OPEN, [this](FileDataDialog* d) {
            d->OnChooseFile(m_csv);
            ui_test::SetText(d, 1014, "25");
        }));
        QVERIFY(RunCommand<StartComputeDialog>(ID_COMPUTE, [](StartComputeDialog* d) {
            ui_test::SetText(d, 1013, "2");
            ui_test::Child<QCheckBox>(d, "1015")->click();
            ui_test::SetText(d, 1016, "0.5");
        }));
        const QStringList window = InfoLines().mid(start);
        QCOMPARE(window.value(0), "导入文件:" + m_csv);
        QCOMPARE(window.value(1), QString("训练数据数量:9,测试数据数量:3"));

        const QString png = m_dir.filePath("chart.png");
        const BatchRun batch = Run({"--batch", "--import", m_csv, "--test-percent", "25", "--degree", "2",
                                    "--ridge", "0.5", "--image", png, "--size", "900x640"});
        QCOMPARE(batch.err, QString());
        QCOMPARE(batch.status, 0);
        QCOMPARE(ui_test::MaskMilliseconds(batch.Lines()), ui_test::MaskMilliseconds(window));

        // The data are fixed, so the picture is the window's chart of the same curve.
        const CTrendfitDoc* doc = theApp.Document();
        QCOMPARE(doc->Curves().size(), std::size_t(1));
        ChartData data = doc->GetChartData();
        QImage expected(900, 640, QImage::Format_RGB32);
        expected.fill(Qt::white);
        {
            QPainter painter(&expected);
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setRenderHint(QPainter::TextAntialiasing, true);
            QtChartPainter chart(painter);
            ChartRenderer().Draw(chart, ChartRect{0, 0, 900, 640}, data);
        }
        QImage written(png);
        QCOMPARE(written.size(), QSize(900, 640));
        QCOMPARE(written.convertToFormat(QImage::Format_RGB32), expected);
    }

    void exportsTakeTheChartAndTheCurveOut() {
        // The window holds the parabola file's ridge curve from the test above.
        CTrendfitView* view = m_frame->View();
        const QSize size = view->size();
        const QString batchPng = m_dir.filePath("batch-export.png");
        const BatchRun batch = Run({"--batch", "--import", m_csv, "--test-percent", "25", "--degree", "2", "--ridge",
                                    "0.5", "--image", batchPng, "--size",
                                    QString("%1x%2").arg(size.width()).arg(size.height())});
        QCOMPARE(batch.status, 0);
        const QImage expected = QImage(batchPng).convertToFormat(QImage::Format_RGB32);

        // "导出图像..." with a name without suffix: the chosen filter's is added.
        auto save = [this](int command, const QString& name, const QString& filter) {
            ui_test::ModalWatch<QFileDialog> watch([&](QFileDialog* dialog) {
                if (!filter.isEmpty()) dialog->selectNameFilter(filter);
                dialog->selectFile(m_dir.filePath(name));
                static_cast<QDialog*>(dialog)->accept();  // the file dialog's own, through QDialog's
            });
            m_frame->Action(command)->trigger();
            return watch.Seen();
        };
        QVERIFY(save(ID_EXPORT_IMAGE, "exported", {}));
        const QImage png(m_dir.filePath("exported.png"));
        QCOMPARE(png.size(), size);
        QCOMPARE(png.convertToFormat(QImage::Format_RGB32), expected);

        QVERIFY(save(ID_EXPORT_IMAGE, "exported-svg", "SVG 图像 (*.svg)"));
        QFile svg(m_dir.filePath("exported-svg.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QString content = QString::fromUtf8(svg.readAll());
        QVERIFY(content.contains("<svg"));
        QVERIFY(content.contains(QString("viewBox=\"0 0 %1 %2\"").arg(size.width()).arg(size.height())));
        QVERIFY(content.contains("训练数据"));

        // "复制图像" puts the same picture on the clipboard.
        QApplication::clipboard()->clear();
        m_frame->Action(ID_COPY_IMAGE)->trigger();
        QCOMPARE(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), expected);

        // "导出曲线..." writes the current curve (its text is tested with the document).
        const CurveResult* curve = theApp.Document()->FindCurrentCurve();
        QVERIFY(curve != nullptr);
        QVERIFY(m_frame->Action(ID_EXPORT_CURVE)->isEnabled());
        QVERIFY(save(ID_EXPORT_CURVE, "curve", {}));
        QFile csv(m_dir.filePath("curve.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll().toStdString(), CurveCsv(*curve));
    }

    void batchLeavesTheWindowAlone() {
        const QStringList lines = InfoLines();
        QTreeWidgetItem* root = m_frame->ClassView()->Root();
        const int children = root->childCount();
        IDataDoc* doc = g_pDataDoc;
        const BatchRun batch = Run({"--batch", "--count", "20", "--degree", "1"});
        QCOMPARE(batch.status, 0);
        QCOMPARE(InfoLines(), lines);
        QCOMPARE(m_frame->ClassView()->Root(), root);
        QCOMPARE(root->childCount(), children);
        QCOMPARE(g_pDataDoc, doc);
        QCOMPARE(g_pOutputMessage, static_cast<IOutputMessage*>(m_frame->OutputWnd()));
        QCOMPARE(g_pDataTreeView, static_cast<IDataTreeView*>(m_frame->ClassView()));
        QCOMPARE(m_frame->windowTitle(), QString("parabola.csv-Trendfit"));
    }

    void withoutADegreeNothingIsComputed() {
        const BatchRun batch = Run({"--batch", "--count", "10", "--test-percent", "0"});
        QCOMPARE(batch.status, 0);
        QCOMPARE(batch.Lines(), (QStringList{"创建模拟数据:正弦sin,x取值范围:-3.000000 至 3.000000, 噪声:0.100000",
                                             "训练数据数量:10,测试数据数量:0"}));
    }

    void pngAndSvgAreWritten() {
        const QString png = m_dir.filePath("out.png");
        const QString svg = m_dir.filePath("out.SVG");
        BatchRun run = Run({"--batch", "--count", "100", "--degree", "3", "--image", png, "--size", "1000x700"});
        QCOMPARE(run.status, 0);
        const QImage image(png);
        QCOMPARE(image.size(), QSize(1000, 700));
        // Red curve, blue training points and the legend's magenta swatch are all there.
        bool red = false, blue = false, magenta = false;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                red |= p == qRgb(255, 0, 0);
                blue |= p == qRgb(0, 0, 255);
                magenta |= p == qRgb(255, 0, 255);
            }
        }
        QVERIFY(red);
        QVERIFY(blue);
        QVERIFY(magenta);

        run = Run({"--batch", "--count", "100", "--degree", "3", "--image", svg});
        QCOMPARE(run.status, 0);
        QFile file(svg);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString content = QString::fromUtf8(file.readAll());
        QVERIFY(content.contains("<svg"));
        QVERIFY(content.contains("训练数据"));
        QVERIFY(content.contains("泛化数据"));
    }

    void emptyDataDrawsOnlyTheNotice() {
        // A range of zero width gives no points at all.
        const QString png = m_dir.filePath("empty.png");
        const BatchRun run = Run({"--batch", "--xmin", "1", "--xmax", "1", "--image", png, "--size", "300x200"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.Lines().value(1), QString("训练数据数量:0,测试数据数量:0"));
        const QImage image(png);
        QCOMPARE(image.size(), QSize(300, 200));
        QVERIFY(!image.isNull());
    }

    void reportAndJsonGiveTheCurveExactly() {
        // A line through the parabola's nine training points; numpy gives its figures.
        const QString json = m_dir.filePath("curve.json");
        BatchRun run = Run({"--batch", "--import", m_csv, "--test-percent", "25", "--degree", "1", "--report",
                            "--json", json});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        const QStringList report = run.Lines().mid(5);
        const QStringList names{"阶数", "L1", "L2", "训练方差", "测试方差", "训练R²", "测试R²", "训练RMSE", "测试RMSE",
                                "X0", "X1"};
        const double expected[] = {1, 0, 0, 2.138888888888889, 62.26388888888889, 0.43795620437956206,
                                   -13.893687707641195, 1.4624940645653537, 7.890747042510544,
                                   1.6666666666666667, -1.0};
        const char* const keys[] = {"degree", "lambdaL1", "lambdaL2", "trainError", "testError", "trainR2",
                                    "testR2", "trainRMSE", "testRMSE"};
        QFile file(json);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QJsonParseError error;
        const QJsonObject object = QJsonDocument::fromJson(file.readAll(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(object.keys(), (QStringList{"coefficients", "degree", "lambdaL1", "lambdaL2", "testError", "testR2",
                                             "testRMSE", "trainError", "trainR2", "trainRMSE"}));
        const QJsonArray coefficients = object["coefficients"].toArray();
        QCOMPARE(coefficients.size(), 2);
        QCOMPARE(report.size(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            const QString line = report[i];
            QVERIFY2(line.startsWith(names[i] + ":"), qPrintable(line));
            // 17 digits, read back exactly: the JSON holds the same double.
            const QString text = line.section(':', 1);
            QCOMPARE(text, QString::fromStdString(FormatGeneral(text.toDouble(), 17)));
            const double json = i < 9 ? object[keys[i]].toDouble() : coefficients[i - 9].toDouble();
            QCOMPARE(text.toDouble(), json);
            QVERIFY2(std::abs(json - expected[i]) <= 1e-12 * std::max(1.0, std::abs(expected[i])), qPrintable(line));
        }
        QVERIFY(object["degree"].isDouble());

        // Without test points the test figures do not exist.
        run = Run({"--batch", "--import", m_csv, "--test-percent", "0", "--degree", "2", "--ridge", "0.5", "--json", json});
        QCOMPARE(run.status, 0);
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject ridge = QJsonDocument::fromJson(file.readAll()).object();
        for (const char* key : {"testError", "testR2", "testRMSE"}) QVERIFY2(ridge[key].isNull(), key);
        QCOMPARE(ridge["lambdaL2"].toDouble(), 0.5);
        QCOMPARE(ridge["degree"].toInt(), 2);
        QCOMPARE(ridge["coefficients"].toArray().size(), 3);
        QVERIFY(ridge["trainR2"].isDouble());
    }

    void sweepPrintsItsLinesJsonAndChart() {
        // Degrees 1 ... 6 on the parabola's nine training points and three test points.
        const QString json = m_dir.filePath("sweep.json");
        const QString png = m_dir.filePath("sweep.png");
        const QStringList data{"--batch", "--import", m_csv, "--test-percent", "25"};
        BatchRun run = Run(data + QStringList{"--sweep", "1:6", "--json", json, "--sweep-image", png, "--size", "640x420"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        const QStringList lines = ui_test::MaskMilliseconds(run.Lines().mid(2));
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines[0], QString("开始阶数扫描:1次至6次..."));
        QCOMPARE(lines[7], QString("阶数扫描结束，用时:#毫秒。"));
        QCOMPARE(lines[9], QString());

        // With --sweep alone the object holds the sweep only.
        QFile file(json);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QJsonParseError error;
        const QJsonObject object = QJsonDocument::fromJson(file.readAll(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(object.keys(), QStringList{"sweep"});
        const QJsonArray sweep = object["sweep"].toArray();
        QCOMPARE(sweep.size(), 6);
        SweepChartData chart;
        chart.lowDegree = 1;
        chart.highDegree = 6;
        chart.hasTestPoints = true;
        int best = 0;
        for (int d = 1; d <= 6; ++d) {
            const QJsonObject point = sweep[d - 1].toObject();
            QCOMPARE(point.keys(), (QStringList{"degree", "testError", "trainError"}));
            QCOMPARE(point["degree"].toInt(), d);
            const double train = point["trainError"].toDouble();
            const double test = point["testError"].toDouble();
            // Each point is what --degree computes, to the bit, and its line shows ten digits.
            const QString curveJson = m_dir.filePath("degree.json");
            QCOMPARE(Run(data + QStringList{"--degree", QString::number(d), "--json", curveJson}).status, 0);
            QFile curveFile(curveJson);
            QVERIFY(curveFile.open(QIODevice::ReadOnly));
            const QJsonObject curve = QJsonDocument::fromJson(curveFile.readAll()).object();
            QCOMPARE(train, curve["trainError"].toDouble());
            QCOMPARE(test, curve["testError"].toDouble());
            QCOMPARE(lines[d], QString("%1次: 训练误差 %2 测试误差 %3").arg(d).arg(train, 0, 'g', 10).arg(test, 0, 'g', 10));
            chart.points.push_back({d, train, test});
            if (best == 0 || test < chart.points[best - 1].testError) best = d;
        }
        chart.bestDegree = best;
        QCOMPARE(lines[8], QString("测试误差最小的阶数: %1次").arg(best));
        // The picture is the sweep chart of these figures at --size.
        QCOMPARE(QImage(png).convertToFormat(QImage::Format_RGB32), RenderSweepChartImage(chart, QSize(640, 420)));

        // With a curve the object holds both; without test points the test errors are null;
        // an SVG is written as SVG.
        const QString svg = m_dir.filePath("sweep.svg");
        run = Run({"--batch", "--import", m_csv, "--test-percent", "0", "--degree", "2", "--sweep", "2:3", "--json",
                   json, "--sweep-image", svg});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.Lines().at(run.Lines().size() - 2), QString("没有测试数据：只显示训练误差，不标记最小测试误差。"));
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject both = QJsonDocument::fromJson(file.readAll()).object();
        QCOMPARE(both["degree"].toInt(), 2);
        QCOMPARE(both["sweep"].toArray().size(), 2);
        const QJsonObject second = both["sweep"].toArray()[0].toObject();
        QVERIFY(second["testError"].isNull());
        QCOMPARE(second["trainError"].toDouble(), both["trainError"].toDouble());
        QFile svgFile(svg);
        QVERIFY(svgFile.open(QIODevice::ReadOnly));
        QVERIFY(svgFile.readAll().contains("<svg"));
    }

    void bandIsDrawnOnRequest() {
        auto image = [this](const QStringList& more) {
            const QString png = m_dir.filePath("band.png");
            const BatchRun run = Run(QStringList{"--batch", "--import", m_csv, "--test-percent", "25", "--image", png,
                                                 "--size", "800x600"} + more);
            return std::make_pair(run, QImage(png).convertToFormat(QImage::Format_RGB32));
        };
        const auto [plainRun, plain] = image({"--degree", "1"});
        const auto [bandRun, band] = image({"--degree", "1", "--band"});
        QCOMPARE(bandRun.err, QString());
        QCOMPARE(bandRun.status, 0);
        QVERIFY(band != plain);
        // A lasso line has none: the picture is the one without, and standard error says why.
        const auto [lassoPlainRun, lassoPlain] = image({"--degree", "1", "--lasso", "0.1"});
        const auto [lassoRun, lasso] = image({"--degree", "1", "--lasso", "0.1", "--band"});
        QCOMPARE(lassoRun.status, 0);
        QCOMPARE(lasso, lassoPlain);
        QCOMPARE(lassoRun.err, QString("trendfit: Lasso与弹性网络曲线不绘制置信带：置信带由最小二乘的协方差算出，"
                                       "只适用于普通与岭回归曲线。\n"));
    }

    void badOptionsAreRefused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("printsData");

        const QString largest = "1.79769313486232e+308";
        QTest::newRow("unknown option") << QStringList{"--batch", "--bogus"}
                                        << "trendfit: Unknown option 'bogus'.\n(see trendfit --help)\n" << false;
        QTest::newRow("missing value") << QStringList{"--batch", "--degree"}
                                       << "trendfit: Missing value after '--degree'.\n(see trendfit --help)\n" << false;
        QTest::newRow("stray argument") << QStringList{"--batch", "data.csv"}
                                        << "trendfit: unexpected argument data.csv\n(see trendfit --help)\n" << false;
        QTest::newRow("size") << QStringList{"--batch", "--size", "0x10"}
                              << "trendfit: --size must be WIDTHxHEIGHT, e.g. 1000x700\n" << false;
        QTest::newRow("size words") << QStringList{"--batch", "--size", "wide"}
                                    << "trendfit: --size must be WIDTHxHEIGHT, e.g. 1000x700\n" << false;
        QTest::newRow("image kind") << QStringList{"--batch", "--image", "chart.jpg"}
                                    << "trendfit: --image must name a .png or .svg file\n" << false;
        QTest::newRow("function") << QStringList{"--batch", "--function", "cos"}
                                  << "trendfit: --function: expected one of sin, square, inverse\n" << false;
        QTest::newRow("noise kind") << QStringList{"--batch", "--noise-kind", "pink"}
                                    << "trendfit: --noise-kind: expected one of uniform, normal\n" << false;
        // The percentage is checked before the count, as the dialog does.
        QTest::newRow("percent before count")
            << QStringList{"--batch", "--count", "0", "--test-percent", "101"}
            << "trendfit: --test-percent: 请输入一个介于 0 和 100 之间的数字。\n" << false;
        QTest::newRow("count zero") << QStringList{"--batch", "--count", "0"}
                                    << "trendfit: --count: 请输入一个介于 1 和 100000 之间的整数。\n" << false;
        QTest::newRow("count text") << QStringList{"--batch", "--count", "many"}
                                    << "trendfit: --count: 请输入一个整数。\n" << false;
        QTest::newRow("xmin text") << QStringList{"--batch", "--xmin", "left"}
                                   << "trendfit: --xmin: 请输入一个数字。\n" << false;
        QTest::newRow("negative noise") << QStringList{"--batch", "--noise", "-1"}
                                        << "trendfit: --noise: 请输入一个介于 0 和 " + largest + " 之间的数字。\n"
                                        << false;
        QTest::newRow("degree zero") << QStringList{"--batch", "--count", "10", "--degree", "0"}
                                     << "trendfit: --degree: 请输入一个介于 1 和 2147483647 之间的整数。\n" << true;
        QTest::newRow("negative ridge")
            << QStringList{"--batch", "--count", "10", "--degree", "2", "--ridge", "-1"}
            << "trendfit: --ridge: 请输入一个介于 0 和 " + largest + " 之间的数字。\n" << true;
        QTest::newRow("missing file") << QStringList{"--batch", "--import", m_dir.filePath("absent.csv")}
                                      << "trendfit: 文件打开失败！\n" << false;
        QTest::newRow("three columns") << QStringList{"--batch", "--import", m_threeColumns}
                                       << "trendfit: 文件数据格式不对，可能不是2列数据！\n" << false;
        QTest::newRow("report without a curve")
            << QStringList{"--batch", "--report"} << "trendfit: --report describes the fitted curve: give --degree\n"
            << false;
        QTest::newRow("json without a curve")
            << QStringList{"--batch", "--json", "x.json"}
            << "trendfit: --json describes the fitted curve or the sweep: give --degree or --sweep\n" << false;
        QTest::newRow("sweep one number") << QStringList{"--batch", "--sweep", "5"}
                                          << "trendfit: --sweep must be LO:HI, e.g. 1:15\n" << false;
        QTest::newRow("sweep three numbers") << QStringList{"--batch", "--sweep", "1:2:3"}
                                             << "trendfit: --sweep must be LO:HI, e.g. 1:15\n" << false;
        QTest::newRow("sweep image without sweep") << QStringList{"--batch", "--sweep-image", "x.png"}
                                                   << "trendfit: --sweep-image draws the sweep: give --sweep\n" << false;
        QTest::newRow("sweep image kind") << QStringList{"--batch", "--sweep", "1:3", "--sweep-image", "x.jpg"}
                                          << "trendfit: --sweep-image must name a .png or .svg file\n" << false;
        QTest::newRow("sweep text") << QStringList{"--batch", "--count", "10", "--sweep", "a:5"}
                                    << "trendfit: --sweep: 请输入一个整数。\n" << true;
        QTest::newRow("sweep zero") << QStringList{"--batch", "--count", "10", "--sweep", "0:5"}
                                    << "trendfit: --sweep: 请输入一个介于 1 和 2147483647 之间的整数。\n" << true;
        QTest::newRow("sweep empty high") << QStringList{"--batch", "--count", "10", "--sweep", "3:"}
                                          << "trendfit: --sweep: 请输入一个整数。\n" << true;
        QTest::newRow("sweep reversed") << QStringList{"--batch", "--count", "10", "--sweep", "6:5"}
                                        << "trendfit: --sweep: 最高阶数不能低于最低阶数。\n" << true;
        QTest::newRow("sweep weight") << QStringList{"--batch", "--count", "10", "--sweep", "1:2", "--ridge", "-1"}
                                      << "trendfit: --ridge: 请输入一个介于 0 和 " + largest + " 之间的数字。\n" << true;
        QTest::newRow("sweep beyond the powers")
            << QStringList{"--batch", "--import", m_csv, "--test-percent", "0", "--sweep", "1:100000"}
            << QString("trendfit: --sweep: 阶数不能超过%1：更高次的幂超出双精度浮点数的范围。\n")
                   .arg(MaxFitDegree(12, 3.5, false).degree)
            << true;
        QTest::newRow("sweep without a successful fit")
            << QStringList{"--batch", "--import", m_csv, "--test-percent", "0", "--stable", "--sweep", "12:13"}
            << "trendfit: 所有阶数的计算均失败。\n" << true;
        QTest::newRow("unwritable sweep image")
            << QStringList{"--batch", "--count", "10", "--sweep", "1:2", "--sweep-image", m_dir.filePath("no/such/x.svg")}
            << "trendfit: cannot write " + m_dir.filePath("no/such/x.svg") + "\n" << false;
        QTest::newRow("data not finite") << QStringList{"--batch", "--xmin", "-1e308", "--xmax", "1e308", "--degree", "2"}
                                         << "trendfit: 数据中含有非数值或无穷大的值\n" << false;
        QTest::newRow("coefficients not finite")
            << QStringList{"--batch", "--import", m_smallX, "--test-percent", "0", "--degree", "1", "--lasso", "1e307"}
            << "trendfit: 拟合系数中含有非数值或无穷大的值\n" << true;
        // The degree limit: on the 12 parabola points (|x| up to 3.5) the powers set it, for
        // each algorithm its own; on 100000 points in [-1, 1] the time does.
        const QStringList parabola{"--batch", "--import", m_csv, "--test-percent", "0", "--degree", "100000"};
        for (bool stable : {false, true}) {
            QTest::newRow(stable ? "degree beyond the powers, stable" : "degree beyond the powers")
                << (stable ? parabola + QStringList{"--stable"} : parabola)
                << QString("trendfit: --degree: 阶数不能超过%1：更高次的幂超出双精度浮点数的范围。\n")
                       .arg(MaxFitDegree(12, 3.5, stable).degree)
                << true;
        }
        QTest::newRow("degree beyond the time")
            << QStringList{"--batch", "--count", "100000", "--xmin", "-1", "--xmax", "1", "--test-percent", "0",
                           "--degree", "100000"}
            << QString("trendfit: --degree: 阶数不能超过%1：在100000个训练数据上，更高的阶数计算时间过长。\n")
                   .arg(MaxFitDegree(100000, 1.0, false).degree)
            << true;
        // Found out before any work, for the JSON file and both kinds of picture.
        QTest::newRow("unwritable json")
            << QStringList{"--batch", "--count", "10", "--degree", "1", "--json", m_dir.filePath("no/such/dir/x.json")}
            << "trendfit: cannot write " + m_dir.filePath("no/such/dir/x.json") + "\n" << false;
        QTest::newRow("unwritable image")
            << QStringList{"--batch", "--count", "10", "--image", m_dir.filePath("no/such/dir/x.png")}
            << "trendfit: cannot write " + m_dir.filePath("no/such/dir/x.png") + "\n" << false;
        QTest::newRow("svg naming a folder")
            << QStringList{"--batch", "--count", "10", "--degree", "2", "--image", m_dir.filePath("folder.svg")}
            << "trendfit: cannot write " + m_dir.filePath("folder.svg") + "\n" << false;
    }

    void badOptionsAreRefused() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QFETCH(bool, printsData);
        const BatchRun run = Run(arguments);
        QCOMPARE(run.err, message);
        QCOMPARE(run.status, 2);
        // Only what ran before the refusal is printed.
        QCOMPARE(!run.out.isEmpty(), printsData);
    }

    void imageCheckLeavesFilesAsTheyWere() {
        // The check before the work writes nothing: a run refused later leaves no new file
        // behind and an old one as it was.
        const QString fresh = m_dir.filePath("fresh.png");
        QCOMPARE(Run({"--batch", "--count", "0", "--image", fresh}).status, 2);
        QVERIFY(!QFile::exists(fresh));
        const QString old = m_dir.filePath("old.svg");
        WriteFile(old, "keep");
        QCOMPARE(Run({"--batch", "--count", "0", "--image", old}).status, 2);
        QFile file(old);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep"));
    }

    void stableChangesOnlyTheIllConditionedFit() {
        // The window and batch mode fit the same way with and without 稳定算法; the window
        // shows the coefficients. Far from zero the normal equations lose them and warn,
        // while the stable fit finds y = 1010025 - 2010 x + x^2; on the parabola both agree.
        QAction* stable = m_frame->Action(ID_STABLE_FIT);
        auto fit = [&](const QString& csv, int degree, bool stableFit) {
            stable->setChecked(stableFit);
            const int start = InfoLines().size();
            RunCommand<FileDataDialog>(ID_FILE_OPEN, [&](FileDataDialog* d) {
                d->OnChooseFile(csv);
                ui_test::SetText(d, 1014, "0");
            });
            RunCommand<StartComputeDialog>(ID_COMPUTE, [&](StartComputeDialog* d) {
                ui_test::SetText(d, 1013, QString::number(degree));
            });
            QStringList arguments{"--batch", "--import", csv, "--test-percent", "0", "--degree", QString::number(degree)};
            if (stableFit) arguments << "--stable";
            const BatchRun batch = Run(arguments);
            const QStringList window = ui_test::MaskMilliseconds(InfoLines().mid(start));
            if (batch.status != 0 || ui_test::MaskMilliseconds(batch.Lines()) != window) {
                qWarning() << "batch" << batch.status << batch.err << batch.Lines() << "window" << window;
                return std::vector<double>();
            }
            const CurveResult* curve = theApp.Document()->FindCurrentCurve();
            return curve != nullptr ? curve->coefficients : std::vector<double>();
        };
        const std::vector<double> normal = fit(m_far, 4, false);
        QCOMPARE(InfoLines().mid(InfoLines().size() - 2).value(0),
                 QString("警告：设计矩阵条件数为2.95e+11，结果可能不准确，可在 计算→稳定算法 中改用稳定算法。"));
        const std::vector<double> exact = fit(m_far, 4, true);
        QCOMPARE(ui_test::MaskMilliseconds(InfoLines().value(InfoLines().size() - 2)), QString("稳定算法计算结束，用时:#毫秒。"));
        QCOMPARE(normal.size(), std::size_t(5));
        QCOMPARE(exact.size(), std::size_t(5));
        QVERIFY(std::fabs(exact[0] / 1010025.0 - 1.0) < 1e-9);
        QVERIFY(std::fabs(exact[1] / -2010.0 - 1.0) < 1e-9);
        QVERIFY(std::fabs(normal[0] / 1010025.0 - 1.0) > 0.2);

        const std::vector<double> a = fit(m_csv, 2, false);
        const std::vector<double> b = fit(m_csv, 2, true);
        QCOMPARE(a.size(), std::size_t(3));
        QCOMPARE(b.size(), std::size_t(3));
        QVERIFY(a != b);
        for (std::size_t i = 0; i < 3; ++i) QVERIFY(std::fabs(a[i] - b[i]) <= 1e-12 * std::fabs(a[2]));
        stable->setChecked(false);
    }

    void aFailingFitIsReported() {
        // Every point is a test point: nothing to fit on.
        const BatchRun run = Run({"--batch", "--count", "10", "--test-percent", "100", "--degree", "2"});
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.startsWith("trendfit: "));
        QVERIFY(run.err.size() > QString("trendfit: \n").size());
        QCOMPARE(run.Lines().value(2), QString("开始计算2次曲线..."));
        QCOMPARE(run.Lines().size(), 3);
    }

    void theProgramRunsWithoutADisplay() {
        const QString program = ProgramPath();
        if (program.isEmpty()) QSKIP("the trendfit program is not built");

        ProgramRun run = RunProgram(program, {"--help"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, BatchUsage());
        QCOMPARE(run.err, QString());

        const QString png = m_dir.filePath("program.png");
        run = RunProgram(program, {"--batch", "--count", "50", "--test-percent", "10", "--degree", "2",
                                   "--image", png, "--size", "640x480"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        const QStringList lines = run.out.split('\n');
        QCOMPARE(lines.size(), 6);  // five lines, each ended by a line feed
        QCOMPARE(lines.value(1), QString("训练数据数量:45,测试数据数量:5"));
        QCOMPARE(lines.value(2), QString("开始计算2次曲线..."));
        QCOMPARE(QImage(png).size(), QSize(640, 480));
    }

    void theProgramRefusesBadArgumentsWithAStatus() {
        const QString program = ProgramPath();
        if (program.isEmpty()) QSKIP("the trendfit program is not built");

        ProgramRun run = RunProgram(program, {"--batch", "--count", "0"});
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QString());
        QCOMPARE(run.err, QString("trendfit: --count: 请输入一个介于 1 和 100000 之间的整数。\n"));

        run = RunProgram(program, {"--batch", "--degree", "2", "--import", m_threeColumns});
        QCOMPARE(run.status, 2);
        QCOMPARE(run.err, QString("trendfit: 文件数据格式不对，可能不是2列数据！\n"));

        // Without --batch an argument that is neither the program's nor Qt's own is refused
        // before any window opens; Qt's "-style fusion" is not one of them.
        run = RunProgram(program, {"-style", "fusion", "--bogus"}, "offscreen");
        QCOMPARE(run.status, 2);
        QCOMPARE(run.err.section('\n', 0, 0), QString("trendfit: unknown argument --bogus"));
    }

    void helpNamesEveryOption() {
        const QString usage = BatchUsage();
        QVERIFY(usage.startsWith("Usage: trendfit"));
        for (const char* option : {"--batch", "--function", "--xmin", "--xmax", "--count", "--noise",
                                   "--noise-kind", "--import", "--test-percent", "--degree", "--lasso",
                                   "--ridge", "--stable", "--image", "--size", "--band", "--report", "--json", "--sweep",
                                   "--sweep-image",
                                   "--help"}) {
            QVERIFY2(usage.contains(option), option);
        }
    }
};

QTEST_MAIN(BatchModeTest)
#include "BatchModeTest.moc"
