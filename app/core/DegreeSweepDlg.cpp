#include "app/core/DegreeSweepDlg.h"

#include <cfloat>
#include <climits>

using trendfit::DataExchange;
using trendfit::DialogControls;
using trendfit::ExchangeResult;

const char* const CDegreeSweepDlg::kOrderMessage = "最高阶数不能低于最低阶数。";

DialogControls CDegreeSweepDlg::ToControls() const {
    DialogControls controls;
    controls.texts[IDC_LOW_DEGREE] = trendfit::IntText(m_nLowDegree);
    controls.texts[IDC_HIGH_DEGREE] = trendfit::IntText(m_nHighDegree);
    controls.texts[IDC_LAMBDA_L1] = trendfit::DoubleText(m_dLambdaL1);
    controls.texts[IDC_LAMBDA_L2] = trendfit::DoubleText(m_dLambdaL2);
    controls.values[IDC_LASSO] = m_bLasso;
    controls.values[IDC_RIDGE] = m_bRidge;
    return controls;
}

ExchangeResult CDegreeSweepDlg::FromControls(const DialogControls& controls) {
    const int previousLow = m_nLowDegree;
    const int previousHigh = m_nHighDegree;
    DataExchange dx(controls);
    dx.Int(IDC_LOW_DEGREE, m_nLowDegree, 1, INT_MAX);
    dx.Int(IDC_HIGH_DEGREE, m_nHighDegree, 1, INT_MAX);
    dx.Double(IDC_LAMBDA_L1, m_dLambdaL1, 0.0, DBL_MAX);
    dx.Double(IDC_LAMBDA_L2, m_dLambdaL2, 0.0, DBL_MAX);
    dx.Choice(IDC_LASSO, m_bLasso);
    dx.Choice(IDC_RIDGE, m_bRidge);
    if (!dx.Result().ok) return dx.Result();
    std::string refusal;
    const trendfit::DegreeLimit limit =
        trendfit::MaxFitDegree(m_nTrainPoints, m_dMaxAbsX, m_bStableFit && m_bLasso == 0);
    if (m_nHighDegree < m_nLowDegree) {
        refusal = kOrderMessage;
    } else if (m_nHighDegree > limit.degree) {
        refusal = CStartComputeDlg::DegreeLimitMessage(limit, m_nTrainPoints);
    } else {
        return dx.Result();
    }
    m_nLowDegree = previousLow;
    m_nHighDegree = previousHigh;
    return ExchangeResult{false, IDC_HIGH_DEGREE, refusal};
}
