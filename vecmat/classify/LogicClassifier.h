#pragma once

#include "vecmat/Export.h"
#include "vecmat/classify/ClassifierReports.h"
#include "vecmat/classify/LCDataTable.h"
#include "vecmat/core/Vector.h"

namespace pct::Ko {

// Two-class logistic classifier on tables tagged 0 and 1. `theta` holds one weight per
// feature followed by the bias; a sample x is judged 1 when theta . (x, 1) >= 0, else 0.
// Training minimises the summed logistic loss by damped Newton steps.
class VECMAT_API LogicClassifier {
public:
    LogicClassifier();
    LogicClassifier(const LogicClassifier& other);
    LogicClassifier(LogicClassifier&& other) noexcept;
    LogicClassifier& operator=(const LogicClassifier& other);
    LogicClassifier& operator=(LogicClassifier&& other) noexcept;
    ~LogicClassifier();

    // Fits theta from the zero vector and judges every training row. A failing Train
    // leaves theta as it was.
    pct::Ko::LgTrainingReport Train(pct::LCDataTable& table);
    // Judges every row and counts the judgements against the rows' tags.
    pct::Ko::LgTestReport Test(pct::LCDataTable& table);
    // Judges every row; tags are not read.
    pct::Ko::LgClassifyReport Classify(pct::LCDataTable& table);

    // The fitted weights followed by the bias; empty before the first Train.
    const pct::Vector& GetTheta() const;

private:
    pct::Vector theta;
};

}  // namespace pct::Ko
