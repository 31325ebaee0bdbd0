#pragma once

// Simulated two-class tables for the classifier benchmarks.

#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "vecmat/classify/LCDataTable.h"

namespace bench {

// `samples` rows of `features` standard normal values, the features named f0, f1, ...;
// each row is tagged tagOf(values, noise), noise being one more standard normal draw.
template <class TagOf>
pct::LCDataTable TwoClassTable(std::size_t samples, std::size_t features, unsigned seed, TagOf tagOf) {
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> normal(0.0, 1.0);
    pct::LCDataTable table;
    for (std::size_t f = 0; f < features; ++f) table.featureNames.push_back("f" + std::to_string(f));
    for (std::size_t i = 0; i < samples; ++i) {
        pct::LCDataRow row;
        for (std::size_t f = 0; f < features; ++f) row.values.push_back(normal(gen));
        row.tag = tagOf(row.values, normal(gen));
        table.rows.push_back(row);
    }
    return table;
}

}  // namespace bench
