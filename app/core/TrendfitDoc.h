#pragma once

// The document: the current data set, split into training and test points, and every curve
// fitted to it since it was loaded. It runs the program's three commands (simulated data,
// file import, computation), reports through the registry's panes and asks the platform
// for dialogs, message boxes, the window title, repaints and the clock.
//
// Wiring: construct it with the platform services (or call SetPlatform before the first
// command); it registers itself as g_pDataDoc. Bind the menu commands to OnSimulationData
// (Ctrl+N), OnFileOpen (Ctrl+O) and OnCompute (Ctrl+R), enable the compute command by
// OnUpdateCompute, hand 视图→置信带 to SetConfidenceBand, and let the view paint
// GetChartData() on every repaint. Batch mode can skip the dialogs: fill a dialog model
// and call the matching Apply... member.

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/core/AppInterfaces.h"
#include "app/core/CurveBand.h"
#include "app/core/CurveResult.h"
#include "app/core/DataSet.h"
#include "app/core/DegreeSweep.h"
#include "app/core/PlatformServices.h"
#include "vecmat/core/Vector.h"

class CSimulationDataDlg;
class CFileDataDlg;
class CStartComputeDlg;
class CDegreeSweepDlg;

class CTrendfitDoc : public IDataDoc {
public:
    explicit CTrendfitDoc(IPlatformServices* platform = nullptr);
    // Unregisters itself from g_pDataDoc if it is still registered there.
    ~CTrendfitDoc() override;
    CTrendfitDoc(const CTrendfitDoc&) = delete;
    CTrendfitDoc& operator=(const CTrendfitDoc&) = delete;

    void SetPlatform(IPlatformServices* platform) { m_pPlatform = platform; }

    // The framework's new-document hook: nothing to initialise.
    bool OnNewDocument() { return true; }

    // Command "模拟数据": runs the simulated-data dialog; on OK loads its data.
    void OnSimulationData();
    // Command "打开": runs the data-import dialog; on OK imports the file it read.
    void OnFileOpen();
    // Command "Trendfit" under "计算": runs the start-compute dialog, which knows the data's
    // degree limit; on OK fits a curve.
    void OnCompute();
    // Command "阶数扫描..." under "计算": runs the degree-sweep dialog (which knows the
    // degree limit, as the compute dialog does); on OK runs the sweep. True when a sweep
    // finished and is now the document's sweep.
    bool OnDegreeSweep();
    // Whether the compute command is enabled: exactly when a data set is loaded.
    bool OnUpdateCompute() const { return m_bHasData != 0; }

    // Makes curve nCurve current, shows it in the property grid and repaints. An index
    // without a curve shows an empty record and the chart draws no curve.
    void SelectCurve(int nCurve) override;

    // The snapshot the chart draws: point lists, bounds and the current curve (an empty
    // record when the current index holds no curve).
    ChartData GetChartData() const;
    // The snapshot with what the view options add: the current curve's band as far as it
    // is made (CachedBand; painting never computes one), and every stored curve. With both
    // options off it is GetChartData().
    ChartData GetChartData(const ChartOptions& options) const;
    // The current curve's confidence band, or why it has none (MakeCurveBand on copies of
    // the training points, through the platform's RunCancellable). Made once per curve and
    // kept until new data is loaded. Cancelled, nothing is kept and the answer carries the
    // note kBandCancelledNote until the band is asked for again.
    const CurveBand& CurrentBand();
    // What CurrentBand has made for the current curve, without computing anything: the
    // kept band, the cancelled note after a cancelled run, or an empty record.
    const CurveBand& CachedBand() const;

    // The option 视图→置信带. While it is on, the current curve's band is made whenever it
    // has none: when the option is switched on, when a curve is stored and when another
    // curve is selected; each such run repaints once it has ended. After a cancel, only
    // switching the option on or selecting the curve again asks again. Off at construction.
    void SetConfidenceBand(bool on);
    bool IsConfidenceBand() const { return m_bConfidenceBand; }

    // The work of each command after its dialog ended with OK. A failure in the library
    // shows a message box with the library's message and leaves the document as it was;
    // the result is then false.
    bool ApplySimulationData(const CSimulationDataDlg& dlg);
    bool ApplyFileData(CFileDataDlg& dlg);
    // The fit runs on copies of the training and test vectors through the platform's
    // RunCancellable; the document changes only once it has ended. Cancelled, it adds the
    // line "计算已取消。" after the start line and nothing else. Coefficients that are not
    // all finite fail like a library failure. When the normal equations computed the fit
    // and the design's condition number exceeds kConditionWarningLimit, a warning line
    // follows the elapsed-time line.
    bool ApplyCompute(const CStartComputeDlg& dlg);
    // Fits every degree of the dialog's range on copies of the data, each exactly as
    // ApplyCompute would (stable option included), through RunCancellable with progress
    // per degree. Writes the start line, then once finished a line per degree (SweepLine),
    // the time it took, the summary line (SweepSummaryLine) and, when a fit by the normal
    // equations exceeded kConditionWarningLimit, a warning naming the first such degree;
    // it keeps the sweep (replacing the last one). Cancelled, it adds "计算已取消。" and
    // keeps nothing. Without training points every fit fails alike: the failure of the
    // first shows in a message box and nothing is kept.
    bool ApplyDegreeSweep(const CDegreeSweepDlg& dlg);
    // Stores the sweep's fit of `degree` as a curve, as ApplyCompute stores its fit: tree
    // item, current curve, grid and repaint, after the line "由阶数扫描存储<name>。". False,
    // with nothing changed, when the sweep has no successful fit of that degree.
    bool StoreSweepCurve(int degree);
    // The last sweep finished on this data set, null when there is none.
    const trendfit::DegreeSweep* Sweep() const { return m_sweep ? &*m_sweep : nullptr; }
    // What the sweep chart draws (an empty record without a sweep).
    trendfit::SweepChartData GetSweepChartData() const;

    // The step both data commands end in: drops the old data set and its curves, takes
    // this one and reports it (tree root, output lines, the data properties and counts, an
    // emptied curve group, the title). True when it was loaded. A data set holding a value
    // that is not a finite number is refused with a message box (kDataNotFiniteMessage)
    // and the document stays as it was.
    bool LoadDataSet(DataSet data);

    // The option 计算→稳定算法: plain and ridge fits by StableFit. Off at construction; the
    // window keeps it in its settings.
    void SetStableFit(bool on) { m_bStableFit = on; }
    bool IsStableFit() const { return m_bStableFit; }

    // Read access for the view, batch mode and tests.
    bool HasData() const { return m_bHasData != 0; }
    const pct::Vector& TrainX() const { return m_trainX; }
    const pct::Vector& TrainY() const { return m_trainY; }
    const pct::Vector& TestX() const { return m_testX; }
    const pct::Vector& TestY() const { return m_testY; }
    const std::vector<PointRecord>& TrainPoints() const { return m_trainPoints; }
    const std::vector<PointRecord>& TestPoints() const { return m_testPoints; }
    double MinX() const { return m_minX; }
    double MinY() const { return m_minY; }
    double MaxX() const { return m_maxX; }
    double MaxY() const { return m_maxY; }
    const std::map<std::size_t, CurveResult>& Curves() const { return m_curves; }
    std::size_t CurrentCurve() const { return m_nCurrentCurve; }
    // The current curve, null when the current index holds none.
    const CurveResult* FindCurrentCurve() const;

    // Texts of the commands.
    static const char* const kTitleSuffix;        // "-Trendfit"
    static const char* const kSimulationRoot;     // "模拟数据"
    static const char* const kFileRoot;           // "文件数据"
    static const char* const kDataNotFiniteMessage;  // "数据中含有非数值或无穷大的值"
    static const char* const kCancelledLine;         // "计算已取消。"
    // Above this condition number a fit by the normal equations is reported as possibly
    // inaccurate: they square it, and doubles hold about 16 digits.
    static constexpr double kConditionWarningLimit = 1e10;
    // The name of a simulated curve in the output: "正弦sin", "二次曲线", "双曲线"; empty
    // for any other function.
    static std::string FunctionName(int funcType);

private:
    void ResetData();
    void BuildPoints();
    void UpdateAllViews();
    void ShowError(const std::string& message);
    // The platform's clock for a task, which may read it from its own thread.
    std::function<std::uint64_t()> Clock() const;
    // Runs a fitting task through the platform (here without one); false when cancelled.
    bool RunTask(const std::function<void(ITaskProgress&)>& task, const std::string& label);
    trendfit::CurveFitRequest FitRequest(std::size_t degree, double lambdaL1, double lambdaL2, bool lasso,
                                         bool ridge) const;
    // The storing step of a fit: the next index, current, repaint, tree item, a blank
    // output line and the grid.
    void StoreCurve(const CurveResult& curve, const std::string& name);
    // With the band option on, makes the current curve's band if it has none and it was
    // not just cancelled, and repaints.
    void PrepareBand();

    int m_bHasData = 0;
    pct::Vector m_trainX;
    pct::Vector m_trainY;
    pct::Vector m_testX;
    pct::Vector m_testY;
    std::vector<PointRecord> m_trainPoints;
    std::vector<PointRecord> m_testPoints;
    double m_minX;
    double m_minY;
    double m_maxX;
    double m_maxY;
    std::map<std::size_t, CurveResult> m_curves;
    std::size_t m_nCurrentCurve = 0;
    std::map<std::size_t, CurveBand> m_bands;  // by curve index, made when first asked for
    std::optional<std::size_t> m_cancelledBand;  // the curve whose last band run was cancelled
    bool m_bConfidenceBand = false;
    bool m_bStableFit = false;
    std::optional<trendfit::DegreeSweep> m_sweep;

    IPlatformServices* m_pPlatform = nullptr;
};
