#pragma once

// The degree-sweep dialog without widgets: the lowest and highest degree, and the two
// weights with their check boxes as in the start-compute dialog.

#include <cstddef>

#include "app/core/DialogExchange.h"
#include "app/core/StartComputeDlg.h"

class CDegreeSweepDlg {
public:
    enum { IDD = 323 };  // caption "阶数扫描", OK button "开始扫描"
    // Control ids, listed in exchange order. The weights and boxes are the compute
    // dialog's, so CStartComputeDlg::WeightFieldFor pairs them the same way.
    enum {
        IDC_LOW_DEGREE = 1021,                            // edit, label "最低阶数"
        IDC_HIGH_DEGREE = 1022,                           // edit, label "最高阶数"
        IDC_LAMBDA_L1 = CStartComputeDlg::IDC_LAMBDA_L1,  // edit, enabled while IDC_LASSO is set
        IDC_LAMBDA_L2 = CStartComputeDlg::IDC_LAMBDA_L2,  // edit, enabled while IDC_RIDGE is set
        IDC_LASSO = CStartComputeDlg::IDC_LASSO,          // check box "L1 lasso回归"
        IDC_RIDGE = CStartComputeDlg::IDC_RIDGE,          // check box "L2 岭回归(Ridge)"
    };

    int m_nLowDegree = 1;
    int m_nHighDegree = 15;
    double m_dLambdaL1 = 0.0;
    double m_dLambdaL2 = 0.0;
    int m_bLasso = 0;
    int m_bRidge = 0;

    // Set by the document before the dialog runs, as for the compute dialog: they bound the
    // highest degree (trendfit::MaxFitDegree).
    std::size_t m_nTrainPoints = 0;
    double m_dMaxAbsX = 0.0;
    bool m_bStableFit = false;

    trendfit::DialogControls ToControls() const;
    // Copies the controls into the members in exchange order, each degree at least 1. Then
    // a highest degree below the lowest is refused on IDC_HIGH_DEGREE (kOrderMessage), and
    // one above the limit of the algorithm the boxes choose (the compute dialog's
    // message); both degrees then keep their previous values.
    trendfit::ExchangeResult FromControls(const trendfit::DialogControls& controls);

    static const char* const kOrderMessage;  // "最高阶数不能低于最低阶数。"
};
