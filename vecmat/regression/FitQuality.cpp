#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "vecmat/regression/Trendfit.h"

namespace pct::Ko {

FitQuality Trendfit::ComputQuality(const std::vector<double>& xs, const std::vector<double>& ys,
                                   const std::vector<double>& w, bool reversed) {
    const size_t m = xs.size();
    const double mse = ComputErr(xs, ys, w, reversed);
    FitQuality quality;
    quality.rmse = std::sqrt(mse);
    if (m == 0 || ys.size() < m) {
        quality.rSquared = std::numeric_limits<double>::quiet_NaN();
        return quality;
    }
    // Equal ys have no spread to explain, whatever rounding the mean would add.
    if (std::all_of(ys.begin(), ys.begin() + m, [&](double v) { return v == ys[0]; })) {
        quality.rSquared = std::isnan(mse) ? mse : mse == 0.0 ? 1.0 : 0.0;
        return quality;
    }
    double sum = 0.0;
    for (size_t i = 0; i < m; ++i) sum += ys[i];
    const double mean = sum / static_cast<double>(m);
    double squares = 0.0;
    for (size_t i = 0; i < m; ++i) squares += (ys[i] - mean) * (ys[i] - mean);
    quality.rSquared = 1.0 - mse / (squares / static_cast<double>(m));
    return quality;
}

}  // namespace pct::Ko
