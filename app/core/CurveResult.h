#pragma once

// Plain records shared by the document, the chart and the panes: one fitted curve, one data
// point, and the snapshot the chart draws from.

#include <vector>

// One fitted polynomial and its scores. A default record has no coefficients and four zeros.
struct CurveResult {
    std::vector<double> coefficients;  // lowest power first: c0 + c1*x + c2*x^2 + ...
    double trainError = 0.0;           // mean squared error on the training points
    double testError = 0.0;            // mean squared error on the test points
    double lambdaL1 = 0.0;             // lasso weight as entered in the compute dialog
    double lambdaL2 = 0.0;             // ridge weight as entered in the compute dialog
};

// One data point, x then y.
struct PointRecord {
    double x = 0.0;
    double y = 0.0;
};

// What the chart needs for one paint: both point lists, the bounding box of all points and
// the current curve. Taken by value from the document on every paint.
struct ChartData {
    std::vector<PointRecord> trainPoints;
    std::vector<PointRecord> testPoints;
    double minX = 0.0;
    double minY = 0.0;
    double maxX = 0.0;
    double maxY = 0.0;
    std::vector<double> coefficients;  // empty: no curve to draw
    double trainError = 0.0;
    double testError = 0.0;
    double lambdaL1 = 0.0;
    double lambdaL2 = 0.0;
};
