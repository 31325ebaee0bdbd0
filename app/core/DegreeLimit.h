#pragma once

// The highest polynomial degree the compute dialog accepts for the data at hand: a fit must
// end within a few seconds, and the powers of x in its design must stay finite.

#include <cstddef>

namespace trendfit {

struct DegreeLimit {
    int degree = 0;
    // True when the powers of the data set the limit, false when the computing time does.
    bool byPowers = false;
};

// The limit for a fit on `points` training points whose largest |x| is maxAbsX, by StableFit
// (`stable`) or by the normal equations of Fit, Ridge, Lasso and ElasticNet.
//
// Time: a computation costs about n p (a p + c) + b p^3 seconds for n points and p = d + 1
// coefficients (the design's products, its powers, the solve), with a, b, c measured here;
// the limit is the highest degree estimated to take at most 2 s in a Release build (about
// 4 s in the default RelWithDebInfo build), but at least 1. The normal
// equations also pay for the condition number. Powers: StableFit scales the design's columns, so it needs
// max|x|^d finite; the normal equations sum n squares of the powers, so they need
// n max|x|^(2d) finite. Without points there is no limit: such a fit fails at once.
DegreeLimit MaxFitDegree(std::size_t points, double maxAbsX, bool stable);

}  // namespace trendfit
