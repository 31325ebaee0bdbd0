#include "app/core/TrendfitDoc.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>
#include <utility>

#include "app/core/CurveFit.h"
#include "app/core/DegreeSweepDlg.h"
#include "app/core/FileDataDlg.h"
#include "app/core/SimulationDataDlg.h"
#include "app/core/StartComputeDlg.h"
#include "app/core/TextFormat.h"
#include "vecmat/MessageText.h"
#include "vecmat/regression/LinearSimData.h"

using trendfit::Format;
using trendfit::LowInt32;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

void Output(const std::string& text) {
    if (g_pOutputMessage != nullptr) g_pOutputMessage->AddMessage(0, text);
}

void ResetTree(const std::string& root) {
    if (g_pDataTreeView != nullptr) g_pDataTreeView->ResetDataTree(root);
}

void SetProperty(const std::string& name, const std::string& value) {
    if (g_pPropetyChange != nullptr) g_pPropetyChange->SetPropertyValue(name, value);
}

void SetCounts(std::size_t nTrain, std::size_t nTest) {
    if (g_pPropetyChange != nullptr) g_pPropetyChange->SetDataCount(LowInt32(nTrain), LowInt32(nTest));
}

void ShowCurve(const CurveResult& curve) {
    if (g_pPropetyChange != nullptr) g_pPropetyChange->ShowCurve(curve);
}

void ClearCurve() {
    if (g_pPropetyChange != nullptr) g_pPropetyChange->ClearCurve();
}

std::string CountsLine(std::size_t nTrain, std::size_t nTest) {
    return Format("训练数据数量:%d,测试数据数量:%d", {LowInt32(nTrain), LowInt32(nTest)});
}

bool AllFinite(const pct::Vector& values) {
    for (std::size_t i = 0; i < values.Size(); ++i) {
        if (!std::isfinite(values[i])) return false;
    }
    return true;
}

double MaxAbs(const pct::Vector& values) {
    double largest = 0.0;
    for (std::size_t i = 0; i < values.Size(); ++i) largest = std::max(largest, std::fabs(values[i]));
    return largest;
}

// The elapsed-time line and the curve's name of a fit, as patterns taking the degree.
struct FitTexts {
    const char* elapsed;
    const char* name;
};

FitTexts TextsOf(const trendfit::CurveFitRequest& r) {
    if (r.lasso && r.ridge) return {"弹性网络回归计算结束，用时:%d毫秒。", "%d次曲线(弹性网络)"};
    if (r.lasso) return {"Lasso回归计算结束，用时:%d毫秒。", "%d次曲线(Lasso)"};
    if (r.ridge && r.stable) return {"岭回归(Ridge)稳定算法计算结束，用时:%d毫秒。", "%d次曲线(Ridge,稳定)"};
    if (r.ridge) return {"岭回归(Ridge)计算结束，用时:%d毫秒。", "%d次曲线(Ridge)"};
    if (r.stable) return {"稳定算法计算结束，用时:%d毫秒。", "%d次曲线(稳定)"};
    return {"计算结束，用时:%d毫秒。", "%d次曲线"};
}

// The warning after a fit by the normal equations on an ill-conditioned design. Plain and
// ridge fits can be computed stably instead, lasso and elastic net cannot.
std::string ConditionWarning(double condition, bool stableWouldHelp) {
    const std::string value = trendfit::FormatGeneral(condition, 3);
    if (stableWouldHelp) {
        return Format("警告：设计矩阵条件数为%s，结果可能不准确，可在 计算→稳定算法 中改用稳定算法。", {value});
    }
    return Format("警告：设计矩阵条件数为%s，结果可能不准确。", {value});
}

// The same warning after a sweep, naming the first degree it concerns.
std::string SweepConditionWarning(int degree, bool stableWouldHelp) {
    const std::string line = Format("警告：从%d次起设计矩阵条件数超过1e10，误差可能不准确", {degree});
    return line + (stableWouldHelp ? "，可在 计算→稳定算法 中改用稳定算法。" : "。");
}

// A computation's request and outcome, shared with the task that may outlive the command.
struct FitJob {
    trendfit::CurveFitRequest request;
    trendfit::CurveFitOutcome outcome;
};

// The same for a sweep, with the clock's readings around it.
struct SweepJob {
    trendfit::CurveFitRequest request;
    trendfit::DegreeSweep sweep;
    std::uint64_t before = 0;
    std::uint64_t after = 0;
};

// A band's curve and training points, and the band made of them.
struct BandJob {
    CurveResult curve;
    pct::Vector x;
    pct::Vector y;
    CurveBand band;
};

// The degree of a dialog widened as a signed value would be.
std::size_t Degree(int d) { return static_cast<std::size_t>(static_cast<long long>(d)); }

}  // namespace

const char* const CTrendfitDoc::kTitleSuffix = "-Trendfit";
const char* const CTrendfitDoc::kSimulationRoot = "模拟数据";
const char* const CTrendfitDoc::kFileRoot = "文件数据";
const char* const CTrendfitDoc::kDataNotFiniteMessage = "数据中含有非数值或无穷大的值";
const char* const CTrendfitDoc::kCancelledLine = "计算已取消。";

CTrendfitDoc::CTrendfitDoc(IPlatformServices* platform)
    : m_minX(kInfinity), m_minY(kInfinity), m_maxX(-kInfinity), m_maxY(-kInfinity), m_pPlatform(platform) {
    g_pDataDoc = this;
}

CTrendfitDoc::~CTrendfitDoc() {
    if (g_pDataDoc == this) g_pDataDoc = nullptr;
}

std::string CTrendfitDoc::FunctionName(int funcType) {
    switch (funcType) {
        case 0: return "正弦sin";
        case 1: return "二次曲线";
        case 2: return "双曲线";
        default: return std::string();
    }
}

void CTrendfitDoc::UpdateAllViews() {
    if (m_pPlatform != nullptr) m_pPlatform->UpdateAllViews();
}

void CTrendfitDoc::ShowError(const std::string& message) {
    if (m_pPlatform != nullptr) m_pPlatform->MessageBox(message);
}

void CTrendfitDoc::ResetData() {
    m_trainPoints.clear();
    m_testPoints.clear();
    m_curves.clear();
    m_bands.clear();
    m_cancelledBand.reset();
    m_sweep.reset();
    m_bHasData = 0;
    m_minX = kInfinity;
    m_minY = kInfinity;
    m_maxX = -kInfinity;
    m_maxY = -kInfinity;
    // The new data set's curves are numbered from 0 again, so the current index must not
    // point at a curve of the old one.
    m_nCurrentCurve = 0;
    UpdateAllViews();
}

void CTrendfitDoc::BuildPoints() {
    auto add = [this](const pct::Vector& xs, const pct::Vector& ys, std::vector<PointRecord>& points) {
        const pct::Vector& cxs = xs;
        const pct::Vector& cys = ys;
        for (std::size_t i = 0; i < cxs.Size(); ++i) {
            const double x = cxs[i];
            const double y = cys[i];
            points.push_back(PointRecord{x, y});
            if (!(x > m_minX)) m_minX = x;
            if (!(y > m_minY)) m_minY = y;
            if (!(m_maxX > x)) m_maxX = x;
            if (!(m_maxY > y)) m_maxY = y;
        }
    };
    add(m_trainX, m_trainY, m_trainPoints);
    add(m_testX, m_testY, m_testPoints);
}

void CTrendfitDoc::OnSimulationData() {
    if (m_pPlatform == nullptr) return;
    CSimulationDataDlg dlg;
    if (!m_pPlatform->DoModal(dlg)) return;
    ApplySimulationData(dlg);
}

bool CTrendfitDoc::ApplySimulationData(const CSimulationDataDlg& dlg) {
    pct::SimDataParam param;
    param.funcType = dlg.m_nFunction;
    param.xMin = dlg.m_dXMin;
    param.xMax = dlg.m_dXMax;
    param.count = static_cast<std::size_t>(dlg.m_nCount);
    param.testRate = dlg.m_dTestPercent / 100.0;
    param.noise = dlg.m_dNoise;
    param.noiseType = dlg.m_nNoiseType;

    DataSet data;
    try {
        pct::SimDataReturn sim = pct::LinearSimData::CreateSimData(param);
        data.trainX = std::move(sim.trainX);
        data.trainY = std::move(sim.trainY);
        data.testX = std::move(sim.testX);
        data.testY = std::move(sim.testY);
    } catch (const std::exception& e) {
        ShowError(pct::MessageToUtf8(e.what()));
        return false;
    }
    data.source.treeRoot = kSimulationRoot;
    data.source.description = Format("创建模拟数据:%s,x取值范围:%lf 至 %lf, 噪声:%lf",
                                      {FunctionName(param.funcType), param.xMin, param.xMax, dlg.m_dNoise});
    data.source.title = std::string(kSimulationRoot) + kTitleSuffix;
    return LoadDataSet(std::move(data));
}

void CTrendfitDoc::OnFileOpen() {
    if (m_pPlatform == nullptr) return;
    CFileDataDlg dlg;
    if (!m_pPlatform->DoModal(dlg)) return;
    ApplyFileData(dlg);
}

bool CTrendfitDoc::ApplyFileData(CFileDataDlg& dlg) {
    // The data set is built aside, so a matrix without a second column (its reads fail)
    // leaves the document untouched.
    DataSet data;
    try {
        data = dlg.GetDataSet();
    } catch (const std::exception& e) {
        ShowError(pct::MessageToUtf8(e.what()));
        return false;
    }
    return LoadDataSet(std::move(data));
}

bool CTrendfitDoc::LoadDataSet(DataSet data) {
    // A not-a-number or an infinity would turn every fit into not-a-number coefficients and
    // the chart's bounds into nonsense.
    if (!AllFinite(data.trainX) || !AllFinite(data.trainY) || !AllFinite(data.testX) || !AllFinite(data.testY)) {
        ShowError(kDataNotFiniteMessage);
        return false;
    }
    ResetData();
    m_trainX = std::move(data.trainX);
    m_trainY = std::move(data.trainY);
    m_testX = std::move(data.testX);
    m_testY = std::move(data.testY);
    BuildPoints();
    m_bHasData = 1;
    UpdateAllViews();

    const DataSource& source = data.source;
    ResetTree(source.treeRoot);
    Output(source.description);
    Output(CountsLine(m_trainX.Size(), m_testX.Size()));
    SetProperty("文件名", source.filePath);
    SetProperty("文件", source.fromFile ? "是" : "否");
    SetCounts(m_trainX.Size(), m_testX.Size());
    // The old curves are gone: so are their values in the grid.
    ClearCurve();
    if (m_pPlatform != nullptr) m_pPlatform->SetWindowTitle(source.title);
    return true;
}

void CTrendfitDoc::OnCompute() {
    if (m_pPlatform == nullptr) return;
    CStartComputeDlg dlg;
    dlg.m_nTrainPoints = m_trainX.Size();
    dlg.m_dMaxAbsX = MaxAbs(m_trainX);
    dlg.m_bStableFit = m_bStableFit;
    if (!m_pPlatform->DoModal(dlg)) return;
    ApplyCompute(dlg);
}

bool CTrendfitDoc::ApplyCompute(const CStartComputeDlg& dlg) {
    const int d = dlg.m_nDegree;
    Output(Format("开始计算%d次曲线...", {d}));

    // The task owns copies of the data: the window repaints from the document meanwhile,
    // and a cancelled task may still be running when the next command changes it.
    auto job = std::make_shared<FitJob>();
    job->request = FitRequest(Degree(d), dlg.m_dLambdaL1, dlg.m_dLambdaL2, dlg.m_bLasso != 0, dlg.m_bRidge != 0);
    const trendfit::CurveFitRequest& request = job->request;
    const FitTexts texts = TextsOf(request);
    const std::string name = Format(texts.name, {d});

    const std::function<std::uint64_t()> clock = Clock();
    auto task = [job, clock](ITaskProgress& progress) {
        job->outcome = trendfit::RunCurveFit(job->request, clock, progress);
    };
    if (!RunTask(task, Format("正在计算%s...", {name}))) {
        Output(kCancelledLine);
        return false;
    }
    const trendfit::CurveFitOutcome& outcome = job->outcome;
    if (outcome.failed) {
        ShowError(outcome.error);
        return false;
    }

    Output(Format(texts.elapsed, {trendfit::ElapsedMilliseconds(outcome.before, outcome.after)}));
    if (outcome.conditionNumber > kConditionWarningLimit) {
        Output(ConditionWarning(outcome.conditionNumber, !request.lasso));
    }

    StoreCurve(outcome.curve, name);
    return true;
}

std::function<std::uint64_t()> CTrendfitDoc::Clock() const {
    IPlatformServices* platform = m_pPlatform;
    return [platform]() -> std::uint64_t { return platform != nullptr ? platform->GetTickCount64() : 0; };
}

bool CTrendfitDoc::RunTask(const std::function<void(ITaskProgress&)>& task, const std::string& label) {
    if (m_pPlatform == nullptr) {
        trendfit::RunInPlace(task);
        return true;
    }
    return m_pPlatform->RunCancellable(task, label);
}

trendfit::CurveFitRequest CTrendfitDoc::FitRequest(std::size_t degree, double lambdaL1, double lambdaL2, bool lasso,
                                                   bool ridge) const {
    trendfit::CurveFitRequest request;
    request.trainX = m_trainX;
    request.trainY = m_trainY;
    request.testX = m_testX;
    request.testY = m_testY;
    request.degree = degree;
    request.lambdaL1 = lambdaL1;
    request.lambdaL2 = lambdaL2;
    request.lasso = lasso;
    request.ridge = ridge;
    request.stable = m_bStableFit;
    return request;
}

void CTrendfitDoc::StoreCurve(const CurveResult& curve, const std::string& name) {
    // Curves are stored under 0, 1, 2, ... and never removed one by one, so the count is
    // always a free index.
    const std::size_t index = m_curves.size();
    m_curves[index] = curve;
    m_curves[index].name = name;
    m_nCurrentCurve = index;
    UpdateAllViews();
    if (g_pDataTreeView != nullptr) g_pDataTreeView->AddCurveItem(name, LowInt32(index));
    Output("");
    ShowCurve(m_curves[index]);
    PrepareBand();
}

bool CTrendfitDoc::OnDegreeSweep() {
    if (m_pPlatform == nullptr) return false;
    CDegreeSweepDlg dlg;
    dlg.m_nTrainPoints = m_trainX.Size();
    dlg.m_dMaxAbsX = MaxAbs(m_trainX);
    dlg.m_bStableFit = m_bStableFit;
    if (!m_pPlatform->DoModal(dlg)) return false;
    return ApplyDegreeSweep(dlg);
}

bool CTrendfitDoc::ApplyDegreeSweep(const CDegreeSweepDlg& dlg) {
    const int low = dlg.m_nLowDegree;
    const int high = dlg.m_nHighDegree;
    Output(Format("开始阶数扫描:%d次至%d次...", {low, high}));

    auto job = std::make_shared<SweepJob>();
    job->request = FitRequest(Degree(low), dlg.m_dLambdaL1, dlg.m_dLambdaL2, dlg.m_bLasso != 0, dlg.m_bRidge != 0);
    if (m_trainX.Size() == 0) {
        // Every degree fails alike without training points, and the degree limit does not
        // bound the range then: the first failure is the answer, as for a compute.
        trendfit::CurveFitOutcome first;
        trendfit::RunInPlace([&](ITaskProgress& progress) { first = trendfit::RunCurveFit(job->request, Clock(), progress); });
        ShowError(first.error);
        return false;
    }
    const std::function<std::uint64_t()> clock = Clock();
    auto task = [job, low, high, clock](ITaskProgress& progress) {
        job->before = clock();
        job->sweep = trendfit::RunDegreeSweep(job->request, low, high, clock, progress);
        job->after = clock();
    };
    if (!RunTask(task, Format("正在进行阶数扫描(%d次至%d次)...", {low, high}))) {
        Output(kCancelledLine);
        return false;
    }
    for (const trendfit::DegreeSweepPoint& point : job->sweep.points) {
        Output(trendfit::SweepLine(point, job->sweep.hasTestPoints));
    }
    Output(Format("阶数扫描结束，用时:%d毫秒。", {trendfit::ElapsedMilliseconds(job->before, job->after)}));
    Output(trendfit::SweepSummaryLine(job->sweep));
    if (const std::optional<int> degree = trendfit::FirstIllConditionedDegree(job->sweep, kConditionWarningLimit)) {
        Output(SweepConditionWarning(*degree, !job->request.lasso));
    }
    Output("");
    m_sweep = std::move(job->sweep);
    UpdateAllViews();
    return true;
}

bool CTrendfitDoc::StoreSweepCurve(int degree) {
    if (!m_sweep) return false;
    for (const trendfit::DegreeSweepPoint& point : m_sweep->points) {
        if (point.degree != degree || point.outcome.failed) continue;
        const std::string name = Format(TextsOf(m_sweep->settings).name, {degree});
        Output(Format("由阶数扫描存储%s。", {name}));
        StoreCurve(point.outcome.curve, name);
        return true;
    }
    return false;
}

trendfit::SweepChartData CTrendfitDoc::GetSweepChartData() const {
    return m_sweep ? trendfit::MakeSweepChartData(*m_sweep) : trendfit::SweepChartData{};
}

void CTrendfitDoc::SelectCurve(int nCurve) {
    m_nCurrentCurve = static_cast<std::size_t>(static_cast<long long>(nCurve));
    const auto found = m_curves.find(m_nCurrentCurve);
    ShowCurve(found != m_curves.end() ? found->second : CurveResult());
    UpdateAllViews();
    m_cancelledBand.reset();  // choosing the curve again asks for its band again
    PrepareBand();
}

const CurveResult* CTrendfitDoc::FindCurrentCurve() const {
    const auto found = m_curves.find(m_nCurrentCurve);
    return found != m_curves.end() ? &found->second : nullptr;
}

ChartData CTrendfitDoc::GetChartData() const {
    ChartData data;
    data.trainPoints = m_trainPoints;
    data.testPoints = m_testPoints;
    data.minX = m_minX;
    data.minY = m_minY;
    data.maxX = m_maxX;
    data.maxY = m_maxY;
    if (const CurveResult* curve = FindCurrentCurve()) {
        data.coefficients = curve->coefficients;
        data.trainError = curve->trainError;
        data.testError = curve->testError;
        data.lambdaL1 = curve->lambdaL1;
        data.lambdaL2 = curve->lambdaL2;
    }
    return data;
}

ChartData CTrendfitDoc::GetChartData(const ChartOptions& options) const {
    ChartData data = GetChartData();
    if (options.band) data.band = CachedBand().band;
    if (options.allCurves) {
        for (const auto& [index, curve] : m_curves) {
            data.curves.push_back(ChartCurve{curve.coefficients, curve.name, index == m_nCurrentCurve});
        }
    }
    return data;
}

const CurveBand& CTrendfitDoc::CurrentBand() {
    const CurveResult* curve = FindCurrentCurve();
    if (curve == nullptr || m_bands.count(m_nCurrentCurve) != 0) return CachedBand();
    m_cancelledBand.reset();
    // The task owns copies, as a fit's does: a cancelled run may still be going when the
    // data changes.
    auto job = std::make_shared<BandJob>(BandJob{*curve, m_trainX, m_trainY, CurveBand()});
    auto task = [job](ITaskProgress&) { job->band = MakeCurveBand(job->curve, job->x, job->y); };
    if (!RunTask(task, Format("正在计算%s的置信带...", {curve->name}))) {
        m_cancelledBand = m_nCurrentCurve;
    } else {
        m_bands.emplace(m_nCurrentCurve, std::move(job->band));
    }
    return CachedBand();
}

const CurveBand& CTrendfitDoc::CachedBand() const {
    static const CurveBand kNone;
    static const CurveBand kCancelled{nullptr, kBandCancelledNote};
    if (FindCurrentCurve() == nullptr) return kNone;
    const auto cached = m_bands.find(m_nCurrentCurve);
    if (cached != m_bands.end()) return cached->second;
    return m_cancelledBand == m_nCurrentCurve ? kCancelled : kNone;
}

void CTrendfitDoc::SetConfidenceBand(bool on) {
    m_bConfidenceBand = on;
    m_cancelledBand.reset();  // switching the option on again asks for the band again
    PrepareBand();
}

void CTrendfitDoc::PrepareBand() {
    // A band the user has just cancelled is not asked for again unasked: storing a curve
    // selects it in the tree too, which would otherwise start a second run.
    if (!m_bConfidenceBand || FindCurrentCurve() == nullptr || m_bands.count(m_nCurrentCurve) != 0 ||
        m_cancelledBand == m_nCurrentCurve) {
        return;
    }
    CurrentBand();
    UpdateAllViews();
}
