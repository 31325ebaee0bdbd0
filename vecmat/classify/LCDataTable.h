#pragma once

// The sample table shared by every classifier of the library.

#include <cstdint>
#include <string>
#include <vector>

namespace pct {

// One sample: its feature values, the class tag the caller gives and the tag a classifier
// judged. Every Train, Test and Classify overwrites `result` of each row it judges.
struct LCDataRow {
    std::vector<double> values;  // one value per feature name, in column order
    std::int32_t tag = 0;        // the caller's class tag
    std::int32_t result = 0;     // the judged tag; never read by the classifiers
};

// The samples of a classification task with named feature columns. Names are compared as
// exact byte strings. Every row must hold exactly as many values as there are names; the
// operations taking a table check this and write nothing but the rows' `result`.
struct LCDataTable {
    std::vector<std::string> featureNames;
    std::vector<LCDataRow> rows;
};

}  // namespace pct
