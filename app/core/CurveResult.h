#pragma once

// Plain records shared by the document, the chart and the panes: one fitted curve, one data
// point, and the snapshot the chart draws from.

#include <memory>
#include <string>
#include <vector>

#include "vecmat/regression/ConfidenceBand.h"
#include "vecmat/regression/Trendfit.h"

// Which fit made a curve: the compute dialog's two boxes.
enum class FitMethod { Plain, Ridge, Lasso, ElasticNet };

// One fitted polynomial and its scores. A default record has no coefficients and four zeros.
struct CurveResult {
    std::vector<double> coefficients;  // lowest power first: c0 + c1*x + c2*x^2 + ...
    double trainError = 0.0;           // mean squared error on the training points
    double testError = 0.0;            // mean squared error on the test points
    double lambdaL1 = 0.0;             // lasso weight as entered in the compute dialog
    double lambdaL2 = 0.0;             // ridge weight as entered in the compute dialog

    // What the views beside the specified ones need: the data tree's text of the curve,
    // the fit that made it (the weights are stored as entered, boxes set or not), and R²
    // and RMSE on the training and the test points.
    std::string name;
    FitMethod method = FitMethod::Plain;
    pct::Ko::FitQuality trainQuality;
    pct::Ko::FitQuality testQuality;
};

// One data point, x then y.
struct PointRecord {
    double x = 0.0;
    double y = 0.0;
};

// A stored curve as the chart shows it beside the others.
struct ChartCurve {
    std::vector<double> coefficients;
    std::string name;      // its data tree text, for the legend
    bool current = false;  // the current curve: drawn last, in the curve pen
};

// What the view adds to the specified chart; both off by default.
struct ChartOptions {
    bool band = false;       // "置信带": the current curve's 95 % confidence band
    bool allCurves = false;  // "显示全部曲线": every stored curve of the data set
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

    // Filled only by the view options; empty, they leave the chart as specified.
    std::vector<ChartCurve> curves;                         // every stored curve, in index order
    std::shared_ptr<const pct::Ko::ConfidenceBand> band;   // the current curve's band
};
