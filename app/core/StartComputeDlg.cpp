#include "app/core/StartComputeDlg.h"

#include <cfloat>
#include <climits>

#include "app/core/TextFormat.h"

using trendfit::DataExchange;
using trendfit::DialogControls;
using trendfit::ExchangeResult;

DialogControls CStartComputeDlg::ToControls() const {
    DialogControls controls;
    controls.texts[IDC_DEGREE] = trendfit::IntText(m_nDegree);
    controls.texts[IDC_LAMBDA_L1] = trendfit::DoubleText(m_dLambdaL1);
    controls.texts[IDC_LAMBDA_L2] = trendfit::DoubleText(m_dLambdaL2);
    controls.values[IDC_LASSO] = m_bLasso;
    controls.values[IDC_RIDGE] = m_bRidge;
    return controls;
}

ExchangeResult CStartComputeDlg::FromControls(const DialogControls& controls) {
    const int previousDegree = m_nDegree;
    DataExchange dx(controls);
    dx.Int(IDC_DEGREE, m_nDegree, 1, INT_MAX);
    dx.Double(IDC_LAMBDA_L1, m_dLambdaL1, 0.0, DBL_MAX);
    dx.Double(IDC_LAMBDA_L2, m_dLambdaL2, 0.0, DBL_MAX);
    dx.Choice(IDC_LASSO, m_bLasso);
    dx.Choice(IDC_RIDGE, m_bRidge);
    if (!dx.Result().ok) return dx.Result();
    // The lasso box decides the algorithm, so the limit is checked once every field is in.
    const trendfit::DegreeLimit limit =
        trendfit::MaxFitDegree(m_nTrainPoints, m_dMaxAbsX, m_bStableFit && m_bLasso == 0);
    if (m_nDegree <= limit.degree) return dx.Result();
    m_nDegree = previousDegree;
    return ExchangeResult{false, IDC_DEGREE, DegreeLimitMessage(limit, m_nTrainPoints)};
}

std::string CStartComputeDlg::DegreeLimitMessage(const trendfit::DegreeLimit& limit, std::size_t points) {
    if (limit.byPowers) return trendfit::Format("阶数不能超过%d：更高次的幂超出双精度浮点数的范围。", {limit.degree});
    return trendfit::Format("阶数不能超过%d：在%d个训练数据上，更高的阶数计算时间过长。",
                            {limit.degree, trendfit::LowInt32(points)});
}

int CStartComputeDlg::WeightFieldFor(int checkBoxId) {
    if (checkBoxId == IDC_LASSO) return IDC_LAMBDA_L1;
    if (checkBoxId == IDC_RIDGE) return IDC_LAMBDA_L2;
    return 0;
}
