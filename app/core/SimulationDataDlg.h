#pragma once

// The simulated-data dialog without widgets: its members, defaults and data exchange.

#include "app/core/DialogExchange.h"

class CSimulationDataDlg {
public:
    enum { IDD = 311 };  // caption "模拟数据"
    // Control ids, listed in exchange order.
    enum {
        IDC_TEST_PERCENT = 1008,  // edit, followed by the label "%"
        IDC_COUNT = 1005,         // edit
        IDC_X_MAX = 1004,         // edit, right end of the range
        IDC_X_MIN = 1003,         // edit, left end of the range
        IDC_FUNCTION = 1000,      // radio group: 0 "y=sin(x)", 1 "y=x*x", 2 "y=1/x(x>0)"
        IDC_NOISE_TYPE = 1006,    // radio group: 0 "均匀分布", 1 "正态分布"
        IDC_NOISE = 1009,         // edit
    };

    double m_dTestPercent = 20.0;  // 0 ... 100
    int m_nCount = 1000;           // 1 ... 100000
    double m_dXMax = 3.0;
    double m_dXMin = -3.0;
    int m_nFunction = 0;
    int m_nNoiseType = 0;
    double m_dNoise = 0.1;  // 0 ... largest double

    // The members as the controls show them (texts of the edits, indexes of the radios).
    trendfit::DialogControls ToControls() const;
    // Copies the controls into the members in exchange order, checking the ranges; see
    // DataExchange for what a failure leaves behind.
    trendfit::ExchangeResult FromControls(const trendfit::DialogControls& controls);
};
