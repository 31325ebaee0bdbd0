#include "app/core/StartComputeDlg.h"

#include <cfloat>
#include <climits>

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
    DataExchange dx(controls);
    dx.Int(IDC_DEGREE, m_nDegree, 1, INT_MAX);
    dx.Double(IDC_LAMBDA_L1, m_dLambdaL1, 0.0, DBL_MAX);
    dx.Double(IDC_LAMBDA_L2, m_dLambdaL2, 0.0, DBL_MAX);
    dx.Choice(IDC_LASSO, m_bLasso);
    dx.Choice(IDC_RIDGE, m_bRidge);
    return dx.Result();
}

int CStartComputeDlg::WeightFieldFor(int checkBoxId) {
    if (checkBoxId == IDC_LASSO) return IDC_LAMBDA_L1;
    if (checkBoxId == IDC_RIDGE) return IDC_LAMBDA_L2;
    return 0;
}
