#pragma once

#include <cstdint>
#include <vector>

#include "vecmat/Export.h"

namespace pct {

class IMatrixFeature;

// Which coefficient a correlation filter uses. Other values can be stored in a filter
// entry; running such an entry fails.
enum CC_Mode : std::int32_t {
    CC_Pearson = 0,
    CC_Spearman = 1,
};

// Pearson and Spearman correlation coefficients of two equally long sequences. Sequences
// of different lengths fail; two empty sequences give 0.
class VECMAT_API CorrelationCoefficient {
public:
    // Pearson coefficient. A constant sequence makes the denominator 0 and the result not
    // finite; nothing guards it.
    static double PCCs(const std::vector<double>& x, const std::vector<double>& y);
    static double PCCs(const IMatrixFeature* x, const IMatrixFeature* y);

    // Spearman coefficient from ranks: an element's rank is the number of elements of its
    // sequence smaller than it by more than epsilon (ties share the lowest rank). A single
    // pair gives a result that is not a number.
    static double SCCs(const std::vector<double>& x, const std::vector<double>& y);
    static double SCCs(const IMatrixFeature* x, const IMatrixFeature* y);
};

}  // namespace pct
