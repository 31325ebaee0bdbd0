#pragma once

// The start-compute dialog without widgets: degree, the two weights and their check boxes.

#include <cstddef>
#include <string>

#include "app/core/DegreeLimit.h"
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

    // Set by the document before the dialog runs: the training points' count and largest
    // |x|, and whether plain and ridge fits use the stable algorithm. They bound the degree
    // (trendfit::MaxFitDegree); without points, as constructed, any degree passes.
    std::size_t m_nTrainPoints = 0;
    double m_dMaxAbsX = 0.0;
    bool m_bStableFit = false;

    trendfit::DialogControls ToControls() const;
    // Copies the controls into the members in exchange order. The weights are exchanged and
    // checked whether their fields are enabled or not. Then a degree above the limit of the
    // algorithm the boxes choose is refused on IDC_DEGREE (DegreeLimitMessage), the degree
    // member keeping its previous value.
    trendfit::ExchangeResult FromControls(const trendfit::DialogControls& controls);

    // The refusal of a degree above `limit`, naming the limit and what sets it:
    // "阶数不能超过%d：更高次的幂超出双精度浮点数的范围。" or
    // "阶数不能超过%d：在%d个训练数据上，更高的阶数计算时间过长。"
    static std::string DegreeLimitMessage(const trendfit::DegreeLimit& limit, std::size_t points);

    // The weight edit that a check box governs (IDC_LAMBDA_L1 for IDC_LASSO, IDC_LAMBDA_L2
    // for IDC_RIDGE), 0 for any other id.
    static int WeightFieldFor(int checkBoxId);
    // A weight edit is enabled exactly while its check box is set. Both start disabled.
    static bool IsWeightFieldEnabled(int checkState) { return checkState != 0; }
};
