#pragma once

// The start-compute dialog without widgets: degree, the two weights and their check boxes.

#include "app/core/DialogExchange.h"

class CStartComputeDlg {
public:
    enum { IDD = 322 };  // caption "开始计算", OK button "开始计算"
    // Control ids, listed in exchange order.
    enum {
        IDC_DEGREE = 1013,     // edit, label "线性次数"
        IDC_LAMBDA_L1 = 1018,  // edit, enabled while IDC_LASSO is set
        IDC_LAMBDA_L2 = 1016,  // edit, enabled while IDC_RIDGE is set
        IDC_LASSO = 1017,      // check box "L1 lasso回归"
        IDC_RIDGE = 1015,      // check box "L2 岭回归(Ridge)"
    };

    int m_nDegree = 1;         // 1 ... 2147483647
    double m_dLambdaL1 = 0.0;  // 0 ... largest double
    double m_dLambdaL2 = 0.0;  // 0 ... largest double
    int m_bLasso = 0;
    int m_bRidge = 0;

    trendfit::DialogControls ToControls() const;
    // Copies the controls into the members in exchange order. The weights are exchanged and
    // checked whether their fields are enabled or not.
    trendfit::ExchangeResult FromControls(const trendfit::DialogControls& controls);

    // The weight edit that a check box governs (IDC_LAMBDA_L1 for IDC_LASSO, IDC_LAMBDA_L2
    // for IDC_RIDGE), 0 for any other id.
    static int WeightFieldFor(int checkBoxId);
    // A weight edit is enabled exactly while its check box is set. Both start disabled.
    static bool IsWeightFieldEnabled(int checkState) { return checkState != 0; }
};
