#include "app/ui/BatchMode.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>

#include <map>
#include <ostream>

#include "app/core/DegreeSweepDlg.h"
#include "app/core/FileDataDlg.h"
#include "app/core/SimulationDataDlg.h"
#include "app/core/StartComputeDlg.h"
#include "app/core/TrendfitDoc.h"
#include "app/core/TextFormat.h"
#include "app/ui/ChartImage.h"
#include "app/ui/CurveJson.h"

namespace trendfit {
namespace {

struct Option {
    const char* name;
    const char* valueName;  // null for a switch
    const char* help;
    const char* defaultValue;
};

const Option kOptions[] = {
    {"function", "sin|square|inverse", "Simulated curve: y=sin(x), y=x*x or y=1/x(x>0).", "sin"},
    {"xmin", "x", "Left end of the simulated range.", "-3"},
    {"xmax", "x", "Right end of the simulated range.", "3"},
    {"count", "n", "Number of simulated points, 1 to 100000.", "1000"},
    {"noise", "value", "Noise of the simulated points, at least 0.", "0.1"},
    {"noise-kind", "uniform|normal", "Distribution of the noise.", "uniform"},
    {"import", "file", "Import a two-column CSV file instead of simulating.", nullptr},
    {"test-percent", "p", "Share of the points kept for testing, 0 to 100.", "20"},
    {"degree", "d",
     "Fit a polynomial of this degree: at least 1, at most the limit of the data (the powers of x must "
     "stay finite and the fit must take seconds, not minutes; a refusal names the limit).",
     nullptr},
    {"lasso", "weight", "Use the L1 (lasso) penalty with this weight.", nullptr},
    {"ridge", "weight", "Use the L2 (ridge) penalty with this weight.", nullptr},
    {"stable", nullptr, "Fit plain and ridge polynomials by the stable QR algorithm (menu 计算 → 稳定算法).",
     nullptr},
    {"image", "file", "Render the chart to this .png or .svg file.", nullptr},
    {"size", "WxH", "Size of the rendered chart in pixels.", "1000x700"},
    {"band", nullptr, "Draw the 95 % confidence band of a plain or ridge curve in --image.", nullptr},
    {"report", nullptr,
     "After the output lines, print the curve's degree, weights, errors, R², RMSE and coefficients, "
     "each with 17 significant digits.",
     nullptr},
    {"json", "file",
     "Write the same as one JSON object to this file: degree, lambdaL1, lambdaL2, trainError, testError, "
     "trainR2, testR2, trainRMSE, testRMSE and coefficients (X0 first); null for a figure that does not exist. "
     "With --sweep it also holds sweep: an array of objects with degree, trainError and testError (null for a "
     "failed fit or without test points); with --sweep and no --degree it holds sweep only.",
     nullptr},
    {"sweep", "LO:HI",
     "Fit every degree from LO to HI (with --lasso, --ridge and --stable as given) and print a line per degree "
     "and the degree with the lowest test error (menu 计算 → 阶数扫描).",
     nullptr},
    {"sweep-image", "file", "Render the sweep's chart (errors against degree) to this .png or .svg file at --size.",
     nullptr},
};

void AddOptions(QCommandLineParser& parser) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption({"batch", "Run without a window."});
    parser.addOption({{"h", "help"}, "Show this help."});
    for (const Option& o : kOptions) {
        QString help = QString::fromUtf8(o.help);
        if (o.defaultValue != nullptr) help += QString(" Default: %1.").arg(o.defaultValue);
        QCommandLineOption option = o.valueName != nullptr ? QCommandLineOption(o.name, help, o.valueName)
                                                           : QCommandLineOption(o.name, help);
        if (o.defaultValue != nullptr) option.setDefaultValue(o.defaultValue);
        parser.addOption(option);
    }
}

// Reports the document's output lines on stdout.
class PrintedOutput : public IOutputMessage {
public:
    explicit PrintedOutput(std::ostream& out) : m_out(out) {}
    void AddMessage(int nTab, const std::string& strText) override {
        if (nTab == 0) m_out << strText << '\n';
    }
    void ClearMessages(int) override {}

private:
    std::ostream& m_out;
};

// Fills the dialogs from the command line through the same exchange and checks the
// window's dialogs use; a refused value or a message box ends the run with an error.
class BatchPlatform : public IPlatformServices {
public:
    BatchPlatform(const QCommandLineParser& args, std::ostream& err) : m_args(args), m_err(err) {}

    bool DoModal(CSimulationDataDlg& dlg) override {
        const int function = Choice("function", {"sin", "square", "inverse"});
        const int noiseKind = Choice("noise-kind", {"uniform", "normal"});
        if (function < 0 || noiseKind < 0) return false;
        DialogControls controls = dlg.ToControls();
        controls.texts[CSimulationDataDlg::IDC_X_MIN] = Text("xmin");
        controls.texts[CSimulationDataDlg::IDC_X_MAX] = Text("xmax");
        controls.texts[CSimulationDataDlg::IDC_COUNT] = Text("count");
        controls.texts[CSimulationDataDlg::IDC_NOISE] = Text("noise");
        controls.texts[CSimulationDataDlg::IDC_TEST_PERCENT] = Text("test-percent");
        controls.values[CSimulationDataDlg::IDC_FUNCTION] = function;
        controls.values[CSimulationDataDlg::IDC_NOISE_TYPE] = noiseKind;
        return Exchange(dlg.FromControls(controls),
                        {{CSimulationDataDlg::IDC_X_MIN, "xmin"},
                         {CSimulationDataDlg::IDC_X_MAX, "xmax"},
                         {CSimulationDataDlg::IDC_COUNT, "count"},
                         {CSimulationDataDlg::IDC_NOISE, "noise"},
                         {CSimulationDataDlg::IDC_TEST_PERCENT, "test-percent"}});
    }

    bool DoModal(CFileDataDlg& dlg) override {
        const QString path = QFileInfo(m_args.value("import")).absoluteFilePath();
        const auto read = dlg.OnChooseFile(path.toStdString(), QFile::encodeName(path).toStdString());
        if (read.choice != CFileDataDlg::FileChoice::Read) {
            Fail(read.message.empty() ? "文件打开失败！" : read.message);
            return false;
        }
        DialogControls controls = dlg.ToControls();
        controls.texts[CFileDataDlg::IDC_TEST_PERCENT] = Text("test-percent");
        return Exchange(dlg.FromControls(controls), {{CFileDataDlg::IDC_TEST_PERCENT, "test-percent"}});
    }

    bool DoModal(CStartComputeDlg& dlg) override {
        DialogControls controls = dlg.ToControls();
        controls.texts[CStartComputeDlg::IDC_DEGREE] = Text("degree");
        FillWeights(controls);
        return Exchange(dlg.FromControls(controls), {{CStartComputeDlg::IDC_DEGREE, "degree"},
                                                     {CStartComputeDlg::IDC_LAMBDA_L1, "lasso"},
                                                     {CStartComputeDlg::IDC_LAMBDA_L2, "ridge"}});
    }

    bool DoModal(CDegreeSweepDlg& dlg) override {
        const QStringList range = m_args.value("sweep").split(':');  // two parts, checked before any work
        DialogControls controls = dlg.ToControls();
        controls.texts[CDegreeSweepDlg::IDC_LOW_DEGREE] = range[0].toStdString();
        controls.texts[CDegreeSweepDlg::IDC_HIGH_DEGREE] = range[1].toStdString();
        FillWeights(controls);
        return Exchange(dlg.FromControls(controls), {{CDegreeSweepDlg::IDC_LOW_DEGREE, "sweep"},
                                                     {CDegreeSweepDlg::IDC_HIGH_DEGREE, "sweep"},
                                                     {CDegreeSweepDlg::IDC_LAMBDA_L1, "lasso"},
                                                     {CDegreeSweepDlg::IDC_LAMBDA_L2, "ridge"}});
    }

    void MessageBox(const std::string& text) override { Fail(text); }
    void SetWindowTitle(const std::string&) override {}
    void UpdateAllViews() override {}
    std::uint64_t GetTickCount64() override { return MonotonicMilliseconds(); }

    bool Failed() const { return m_failed; }

private:
    std::string Text(const char* option) const { return m_args.value(option).toStdString(); }

    // The two weights and their boxes, shared by the compute and the sweep dialog.
    void FillWeights(DialogControls& controls) const {
        controls.values[CStartComputeDlg::IDC_LASSO] = m_args.isSet("lasso") ? 1 : 0;
        controls.values[CStartComputeDlg::IDC_RIDGE] = m_args.isSet("ridge") ? 1 : 0;
        if (m_args.isSet("lasso")) controls.texts[CStartComputeDlg::IDC_LAMBDA_L1] = Text("lasso");
        if (m_args.isSet("ridge")) controls.texts[CStartComputeDlg::IDC_LAMBDA_L2] = Text("ridge");
    }

    int Choice(const char* option, const QStringList& names) {
        const int index = names.indexOf(m_args.value(option));
        if (index < 0) Fail("--" + std::string(option) + ": expected one of " + names.join(", ").toStdString());
        return index;
    }

    // Reports a refused field under the name of its option.
    bool Exchange(const ExchangeResult& result, const std::map<int, const char*>& options) {
        if (!result.ok) {
            auto it = options.find(result.failedControl);
            Fail(it == options.end() ? result.message : "--" + std::string(it->second) + ": " + result.message);
        }
        return result.ok;
    }

    void Fail(const std::string& message) {
        m_err << "trendfit: " << message << '\n';
        m_failed = true;
    }

    const QCommandLineParser& m_args;
    std::ostream& m_err;
    bool m_failed = false;
};

// Swaps the interface registry for a batch run and puts it back when the run ends.
class RegistryScope {
public:
    explicit RegistryScope(IOutputMessage* output)
        : m_doc(g_pDataDoc), m_tree(g_pDataTreeView), m_output(g_pOutputMessage), m_grid(g_pPropetyChange) {
        g_pDataTreeView = nullptr;
        g_pPropetyChange = nullptr;
        g_pOutputMessage = output;
    }
    ~RegistryScope() {
        g_pDataDoc = m_doc;
        g_pDataTreeView = m_tree;
        g_pOutputMessage = m_output;
        g_pPropetyChange = m_grid;
    }
    RegistryScope(const RegistryScope&) = delete;
    RegistryScope& operator=(const RegistryScope&) = delete;

private:
    IDataDoc* m_doc;
    IDataTreeView* m_tree;
    IOutputMessage* m_output;
    IPropetyChange* m_grid;
};

// The exit status of writing `file`: 0 when it was written, 2 after saying it could not be.
int Write(bool written, const QString& file, std::ostream& err) {
    if (written) return 0;
    err << "trendfit: cannot write " << file.toStdString() << '\n';
    return 2;
}

// Whether `path` can be written, found out before any work: opened for appending, so an
// existing file keeps its content, and removed again when it did not exist before.
bool CanWrite(const QString& path) {
    QFile file(path);
    const bool existed = file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    file.close();
    if (!existed) file.remove();
    return true;
}

bool ParseSize(const QString& text, QSize& size) {
    const QStringList parts = text.split('x');
    if (parts.size() != 2) return false;
    bool okW = false, okH = false;
    size = QSize(parts[0].toInt(&okW), parts[1].toInt(&okH));
    return okW && okH && size.width() > 0 && size.height() > 0 && size.width() <= 20000 &&
           size.height() <= 20000;
}

}  // namespace

QString BatchUsage() {
    QCommandLineParser parser;
    AddOptions(parser);
    return "Usage: trendfit [--batch [options]]\n\n"
           "Without --batch Trendfit opens its window. With --batch it simulates data (or\n"
           "imports --import FILE), fits one polynomial when --degree is given, sweeps a range\n"
           "of degrees when --sweep is given, prints the lines of the output pane and renders\n"
           "the chart when --image is given (the sweep's chart with --sweep-image); --report\n"
           "and --json give the fitted curve's figures, --json also the sweep's.\n\n" +
           parser.helpText().section('\n', 2) +
           "\nThe output lines go to standard output, problems to standard error. Exit status:\n"
           "0 on success, 2 for a bad option, a refused value or a failed command.\n";
}

int RunBatch(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    QCommandLineParser parser;
    AddOptions(parser);
    if (!parser.parse(QStringList{"trendfit"} + arguments)) {
        err << "trendfit: " << parser.errorText().toStdString() << "\n(see trendfit --help)\n";
        return 2;
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << "trendfit: unexpected argument " << parser.positionalArguments().first().toStdString()
            << "\n(see trendfit --help)\n";
        return 2;
    }
    QSize size;
    if (!ParseSize(parser.value("size"), size)) {
        err << "trendfit: --size must be WIDTHxHEIGHT, e.g. 1000x700\n";
        return 2;
    }
    const QString image = parser.value("image");
    const QString sweepImage = parser.value("sweep-image");
    for (const char* option : {"image", "sweep-image"}) {
        const QString file = parser.value(option);
        if (!file.isEmpty() && !file.endsWith(".png", Qt::CaseInsensitive) && !file.endsWith(".svg", Qt::CaseInsensitive)) {
            err << "trendfit: --" << option << " must name a .png or .svg file\n";
            return 2;
        }
    }
    const bool sweep = parser.isSet("sweep");
    if (sweep && parser.value("sweep").split(':').size() != 2) {
        err << "trendfit: --sweep must be LO:HI, e.g. 1:15\n";
        return 2;
    }
    if (parser.isSet("sweep-image") && !sweep) {
        err << "trendfit: --sweep-image draws the sweep: give --sweep\n";
        return 2;
    }
    if (parser.isSet("report") && !parser.isSet("degree")) {
        err << "trendfit: --report describes the fitted curve: give --degree\n";
        return 2;
    }
    if (parser.isSet("json") && !parser.isSet("degree") && !sweep) {
        err << "trendfit: --json describes the fitted curve or the sweep: give --degree or --sweep\n";
        return 2;
    }
    const QString json = parser.value("json");
    for (const QString& file : {image, json, sweepImage}) {
        if (!file.isEmpty() && Write(CanWrite(file), file, err) != 0) return 2;
    }

    PrintedOutput output(out);
    // The run reports to its printed output only: panes of a window in the same process
    // must not hear of it, and whatever was registered before is registered again after.
    const RegistryScope registry(&output);
    BatchPlatform platform(parser, err);
    int status = 0;
    {
        CTrendfitDoc doc(&platform);
        doc.SetStableFit(parser.isSet("stable"));
        if (parser.isSet("import")) {
            doc.OnFileOpen();
        } else {
            doc.OnSimulationData();
        }
        if (!platform.Failed() && parser.isSet("degree")) doc.OnCompute();
        // A sweep without a single successful fit has nothing to show: it fails the run.
        if (!platform.Failed() && sweep && doc.OnDegreeSweep() && !HasSuccessfulFit(*doc.Sweep())) {
            platform.MessageBox(SweepSummaryLine(*doc.Sweep()));
        }
        const CurveResult* curve = doc.FindCurrentCurve();
        if (platform.Failed()) {
            status = 2;
        } else {
            // --report comes with --degree, so a run that got here has a curve; --json with
            // --degree or --sweep.
            if (curve != nullptr && parser.isSet("report")) {
                for (const std::string& line : CurveReportLines(*curve)) out << line << '\n';
            }
            if (!json.isEmpty()) {
                QJsonObject object = curve != nullptr ? CurveJson(*curve) : QJsonObject();
                if (doc.Sweep() != nullptr) object.insert("sweep", SweepJson(*doc.Sweep()));
                status = Write(WriteJsonFile(object, json), json, err);
            }
            if (status == 0 && !image.isEmpty()) {
                const bool band = parser.isSet("band");
                const std::string note = band ? doc.CurrentBand().note : std::string();
                if (!note.empty()) err << "trendfit: " << note << '\n';
                status = Write(WriteChartImage(doc.GetChartData(ChartOptions{band, false}), image, size), image, err);
            }
            if (status == 0 && !sweepImage.isEmpty()) {
                status = Write(WriteSweepChartImage(doc.GetSweepChartData(), sweepImage, size), sweepImage, err);
            }
        }
    }
    out.flush();
    return status;
}

}  // namespace trendfit
