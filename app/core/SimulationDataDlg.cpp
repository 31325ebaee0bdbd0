#include "app/core/SimulationDataDlg.h"

#include <cfloat>

using trendfit::DataExchange;
using trendfit::DialogControls;
using trendfit::ExchangeResult;

DialogControls CSimulationDataDlg::ToControls() const {
    DialogControls controls;
    controls.texts[IDC_TEST_PERCENT] = trendfit::DoubleText(m_dTestPercent);
    controls.texts[IDC_COUNT] = trendfit::IntText(m_nCount);
    controls.texts[IDC_X_MAX] = trendfit::DoubleText(m_dXMax);
    controls.texts[IDC_X_MIN] = trendfit::DoubleText(m_dXMin);
    controls.values[IDC_FUNCTION] = m_nFunction;
    controls.values[IDC_NOISE_TYPE] = m_nNoiseType;
    controls.texts[IDC_NOISE] = trendfit::DoubleText(m_dNoise);
    return controls;
}

ExchangeResult CSimulationDataDlg::FromControls(const DialogControls& controls) {
    DataExchange dx(controls);
    dx.Double(IDC_TEST_PERCENT, m_dTestPercent, 0.0, 100.0);
    dx.Int(IDC_COUNT, m_nCount, 1, 100000);
    dx.Double(IDC_X_MAX, m_dXMax);
    dx.Double(IDC_X_MIN, m_dXMin);
    dx.Choice(IDC_FUNCTION, m_nFunction);
    dx.Choice(IDC_NOISE_TYPE, m_nNoiseType);
    dx.Double(IDC_NOISE, m_dNoise, 0.0, DBL_MAX);
    return dx.Result();
}
