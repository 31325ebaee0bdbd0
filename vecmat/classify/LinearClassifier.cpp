#include "vecmat/classify/LinearClassifier.h"

#include <set>
#include <utility>

#include "vecmat/Messages.h"

namespace pct::Ko {

namespace {

// Fails unless every row holds one value per feature name.
void CheckRowWidths(const pct::LCDataTable& table) {
    const size_t width = table.featureNames.size();
    for (const pct::LCDataRow& row : table.rows) {
        if (row.values.size() != width) pct::detail::Fail(pct::msg::kTableDataError);
    }
}

// For each column of the table, the trained position of its feature, or `unused` for a
// column the model was not trained with. Checks, in order: a model exists, the rows match
// the header, the header has at least the trained number of names, no name repeats, and
// every trained name occurs.
std::vector<size_t> MapColumns(const pct::LCDataTable& table,
                               const std::map<std::string, size_t>& featureIndex, bool trained,
                               size_t unused) {
    if (!trained) pct::detail::Fail(pct::msg::kClassifierNotTrained);
    CheckRowWidths(table);
    if (table.featureNames.size() < featureIndex.size()) {
        pct::detail::Fail(pct::msg::kFeatureCountMismatch);
    }
    std::set<std::string> seen;
    for (const std::string& name : table.featureNames) {
        if (!seen.insert(name).second) pct::detail::Fail(pct::msg::kDuplicateFeatureName);
    }
    std::vector<size_t> positions;
    positions.reserve(table.featureNames.size());
    size_t known = 0;
    for (const std::string& name : table.featureNames) {
        const auto found = featureIndex.find(name);  // a lookup never adds a name
        if (found != featureIndex.end()) {
            ++known;
            positions.push_back(found->second);
        } else {
            positions.push_back(unused);
        }
    }
    if (known != featureIndex.size()) pct::detail::Fail(pct::msg::kFeatureNameMismatch);
    return positions;
}

// The row's values placed at their trained positions; columns not trained are left out,
// so the sample always has the trained length.
pct::Vector Arrange(const pct::LCDataRow& row, const std::vector<size_t>& positions,
                    size_t featureCount) {
    pct::Vector sample(featureCount);
    for (size_t j = 0; j < positions.size(); ++j) {
        if (positions[j] < featureCount) sample.SetValue(positions[j], row.values[j]);
    }
    return sample;
}

}  // namespace

LinearClassifier::LinearClassifier() = default;

LinearClassifier::LinearClassifier(const LinearClassifier& other)
    : trainer(other.trainer),
      model(other.model ? std::make_unique<LinearClassificationModel>(*other.model) : nullptr),
      featureIndex(other.featureIndex),
      lastTraining(other.lastTraining) {}

LinearClassifier& LinearClassifier::operator=(const LinearClassifier& other) {
    if (this != &other) {
        LinearClassifier copy(other);  // may fail; this object is untouched until the swap
        std::swap(trainer, copy.trainer);
        std::swap(model, copy.model);
        std::swap(featureIndex, copy.featureIndex);
        std::swap(lastTraining, copy.lastTraining);
    }
    return *this;
}

LinearClassifier::~LinearClassifier() = default;

pct::Ko::TrainingReport LinearClassifier::Train(pct::LCDataTable& table) {
    const size_t rowCount = table.rows.size();
    const size_t featureCount = table.featureNames.size();

    CheckRowWidths(table);

    pct::Matrix all(rowCount, featureCount + 1);

    // Every Train starts from an empty index and trainer; they replace the current ones
    // only once the new model exists, so a failing Train changes nothing.
    std::map<std::string, size_t> newIndex;
    for (size_t j = 0; j < featureCount; ++j) newIndex[table.featureNames[j]] = j;
    if (newIndex.size() != featureCount) pct::detail::Fail(pct::msg::kDuplicateFeatureName);

    for (size_t i = 0; i < rowCount; ++i) {
        const pct::LCDataRow& row = table.rows[i];
        for (size_t j = 0; j < featureCount; ++j) all.SetPointValue(i, j, row.values[j]);
        all.SetPointValue(i, featureCount, static_cast<double>(row.tag));
    }

    LinearClassifierTrainer newTrainer;
    newTrainer.InputAllMatrix(all);
    pct::Ko::LCMData data = newTrainer.LDA();
    auto newModel = std::make_unique<LinearClassificationModel>(data.weights, data.threshold,
                                                                data.tagP, data.tagN);

    pct::Ko::TrainingReport report;
    newModel->GetTag(&report.tagP, &report.tagN);
    report.rowCount = static_cast<std::int32_t>(rowCount);
    for (pct::LCDataRow& row : table.rows) {
        if (row.tag == report.tagP) {
            ++report.countP;
        } else if (row.tag == report.tagN) {
            ++report.countN;
        }
        const int judged = newModel->Judge(pct::Vector(row.values));
        row.result = judged;
        if (judged != row.tag) {
            if (row.tag == report.tagP) {
                ++report.errorP;
            } else if (row.tag == report.tagN) {
                ++report.errorN;
            }
        }
    }
    report.separable = report.errorP == 0 && report.errorN == 0;
    if (!report.separable) {
        pct::Ko::FillErrorRates(pct::Ko::ErrorRate(report.errorP, report.countP),
                                pct::Ko::ErrorRate(report.errorN, report.countN),
                                report.errorRateGap, report.errorRateRatio);
    }

    trainer = std::move(newTrainer);
    model = std::move(newModel);
    featureIndex = std::move(newIndex);
    lastTraining = report;
    return report;
}

pct::Ko::TestReport LinearClassifier::Test(pct::LCDataTable& table) {
    const size_t featureCount = featureIndex.size();
    const std::vector<size_t> positions =
        MapColumns(table, featureIndex, model != nullptr, featureCount);

    pct::Ko::TestReport report;
    model->GetTag(&report.tagP, &report.tagN);
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    for (pct::LCDataRow& row : table.rows) {
        const int judged = model->Judge(Arrange(row, positions, featureCount));
        row.result = judged;
        if (judged == report.tagP) {
            ++report.judgedP;
            if (row.tag != judged) ++report.wrongP;
        } else if (judged == report.tagN) {
            ++report.judgedN;
            if (row.tag != judged) ++report.wrongN;
        } else {
            ++report.judgedOther;
        }
    }
    return report;
}

pct::Ko::ClassifyReport LinearClassifier::Classify(pct::LCDataTable& table) {
    const size_t featureCount = featureIndex.size();
    const std::vector<size_t> positions =
        MapColumns(table, featureIndex, model != nullptr, featureCount);

    pct::Ko::ClassifyReport report;
    model->GetTag(&report.tagP, &report.tagN);
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    for (pct::LCDataRow& row : table.rows) {
        const int judged = model->Judge(Arrange(row, positions, featureCount));
        row.result = judged;
        if (judged == report.tagP) {
            ++report.judgedP;
        } else if (judged == report.tagN) {
            ++report.judgedN;
        }
    }
    return report;
}

const pct::Ko::TrainingReport& LinearClassifier::GetLastTraining() const { return lastTraining; }

}  // namespace pct::Ko
