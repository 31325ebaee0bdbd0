#pragma once

// Quantiles of Student's t distribution for a whole number of degrees of freedom. Internal
// header.
//
// With t = sqrt(nu) tan(theta), the angle theta of a t variable has the density
// cos^(nu - 1) theta / W(nu - 1) on (-pi/2, pi/2), W(n) being the Wallis integral of
// cos^n over [0, pi/2]. Its distribution function is a finite series in cos^2 theta, so
// no gamma function is needed: every factor is a ratio of small integers. The series has
// nu / 2 terms, all positive, summed in long double.

#include <cmath>
#include <cstddef>

namespace pct::detail {

// P(|T| <= sqrt(nu) tan(theta)) for theta in [0, pi/2], nu >= 1.
inline long double StudentTwoSidedProbability(long double theta, size_t nu) {
    const long double pi = 3.141592653589793238462643383279502884L;
    const long double s = std::sin(theta);
    const long double c = std::cos(theta);
    const long double c2 = c * c;
    long double sum = 0.0L;
    long double term = 1.0L;  // coefficient times c^(2k)
    if (nu % 2 == 0) {
        // s * (1 + 1/2 c^2 + (1*3)/(2*4) c^4 + ... + (nu - 3)!!/(nu - 2)!! c^(nu - 2))
        for (size_t k = 0; k < nu / 2; ++k) {
            if (k > 0) term *= c2 * static_cast<long double>(2 * k - 1) / static_cast<long double>(2 * k);
            sum += term;
        }
        return s * sum;
    }
    // 2/pi (theta + s c (1 + 2/3 c^2 + (2*4)/(3*5) c^4 + ... + (nu - 3)!!/(nu - 2)!! c^(nu - 3)))
    for (size_t k = 0; k + 1 < (nu + 1) / 2; ++k) {
        if (k > 0) term *= c2 * static_cast<long double>(2 * k) / static_cast<long double>(2 * k + 1);
        sum += term;
    }
    return 2.0L / pi * (theta + s * c * sum);
}

// The Wallis integral W(n) of cos^n over [0, pi/2]: W(0) = pi/2, W(1) = 1,
// W(n) = (n - 1)/n W(n - 2).
inline long double WallisIntegral(size_t n) {
    long double w = n % 2 == 0 ? 1.570796326794896619231321691639751442L : 1.0L;
    for (size_t k = n % 2 + 2; k <= n; k += 2)
        w *= static_cast<long double>(k - 1) / static_cast<long double>(k);
    return w;
}

// The t with P(T <= t) = q for Student's t with nu >= 1 degrees of freedom, q in [0.5, 1).
// Newton's method on the angle: the two-sided probability is concave in theta, so the
// iterates rise monotonically from 0 to the root.
inline double StudentTQuantile(double q, size_t nu) {
    const long double target = 2.0L * static_cast<long double>(q) - 1.0L;
    const long double wallis = WallisIntegral(nu - 1);
    long double theta = 0.0L;
    for (int i = 0; i < 100; ++i) {
        const long double slope = std::pow(std::cos(theta), static_cast<long double>(nu - 1)) / wallis;
        const long double step = (target - StudentTwoSidedProbability(theta, nu)) / slope;
        if (!(step > 0.0L)) break;  // at the root, or a rounding step past it
        theta += step;
        if (step <= theta * 0x1p-62L) break;
    }
    return static_cast<double>(std::sqrt(static_cast<long double>(nu)) * std::tan(theta));
}

}  // namespace pct::detail
