#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>

#include "vecmat/Export.h"
#include "vecmat/classify/ClassifierReports.h"
#include "vecmat/classify/LCDataTable.h"
#include "vecmat/classify/LinearClassificationModel.h"
#include "vecmat/classify/LinearClassifierTrainer.h"

namespace pct::Ko {

// Fisher discriminant classifier on a named-feature table with any two distinct tags.
// It remembers the feature names it was trained with and matches the columns of later
// tables to them by name.
class VECMAT_API LinearClassifier {
public:
    LinearClassifier();
    // Copies are deep: a copy owns its own trainer and model.
    LinearClassifier(const LinearClassifier& other);
    LinearClassifier& operator=(const LinearClassifier& other);
    ~LinearClassifier();

    // Trains on the table from scratch and judges every training row. A failing Train
    // leaves the classifier as it was.
    pct::Ko::TrainingReport Train(pct::LCDataTable& table);
    // Judges every row and counts the judgements against the rows' own tags.
    pct::Ko::TestReport Test(pct::LCDataTable& table);
    // Judges every row.
    pct::Ko::ClassifyReport Classify(pct::LCDataTable& table);

    // The report of the last successful Train (a fresh report before any).
    const pct::Ko::TrainingReport& GetLastTraining() const;
    // The model of the last successful Train, null before any; it lives until the next
    // successful Train, assignment or destruction of this classifier.
    const LinearClassificationModel* GetModel() const;

private:
    LinearClassifierTrainer trainer;
    std::unique_ptr<LinearClassificationModel> model;
    std::map<std::string, size_t> featureIndex;
    pct::Ko::TrainingReport lastTraining;
};

}  // namespace pct::Ko
