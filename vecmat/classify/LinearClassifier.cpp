#include "vecmat/classify/LinearClassifier.h"

#include <set>
#include <utility>

#include "vecmat/Messages.h"
#include "vecmat/classify/Discriminant.h"
#include "vecmat/classify/JudgeRows.h"

namespace pct::Ko {

namespace {

// For each column of the table, the trained position of its feature, or `unused` for a
// column the model was not trained with. Checks, in order: a model exists, the rows match
// the header, the header has at least the trained number of names, no name repeats, and
// every trained name occurs.
std::vector<size_t> MapColumns(const pct::LCDataTable& table,
                               const std::map<std::string, size_t>& featureIndex, bool trained,
                               size_t unused) {
    if (!trained) pct::detail::Fail(pct::msg::kClassifierNotTrained);
    detail::CheckRowWidths(table, pct::msg::kTableDataError);
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

// Judges a row with the model after placing its values at their trained positions; columns
// not trained are left out, so the sample always has the trained length.
auto JudgeArranged(LinearClassificationModel& model, const std::vector<size_t>& positions,
                   size_t featureCount) {
    return [&model, &positions, featureCount](size_t, const pct::LCDataRow& row) {
        pct::Vector sample(featureCount);
        for (size_t j = 0; j < positions.size(); ++j) {
            if (positions[j] < featureCount) sample.SetValue(positions[j], row.values[j]);
        }
        return model.Judge(sample);
    };
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

    detail::CheckRowWidths(table, pct::msg::kTableDataError);
    // The trainer takes the rows with their tags as one matrix, which cannot be empty.
    if (rowCount == 0) pct::detail::Fail(pct::msg::kMatrixZeroDimension);

    // Every Train starts from an empty index and trainer; they replace the current ones
    // only once the new model exists, so a failing Train changes nothing.
    std::map<std::string, size_t> newIndex;
    for (size_t j = 0; j < featureCount; ++j) newIndex[table.featureNames[j]] = j;
    if (newIndex.size() != featureCount) pct::detail::Fail(pct::msg::kDuplicateFeatureName);

    // What the trainer's InputAllMatrix and LDA do with that matrix, without building it:
    // the rows split by tag (an int tag survives the matrix's doubles unchanged), exactly
    // two tags, then the discriminant of the two classes.
    std::map<int, pct::Matrix> classes = detail::MatricesByTag(
        rowCount, featureCount, [&table](size_t i) { return table.rows[i].tag; },
        [&table](size_t i) { return table.rows[i].values.data(); });
    if (classes.size() != 2) pct::detail::Fail(pct::msg::kNotTwoClasses);
    const pct::Ko::LCMData data = detail::Discriminant(classes);
    LinearClassifierTrainer newTrainer;
    for (auto& [tag, m] : classes) newTrainer.SetMatrix(tag, std::move(m));
    auto newModel = std::make_unique<LinearClassificationModel>(data.weights, data.threshold,
                                                                data.tagP, data.tagN);

    pct::Ko::TrainingReport report;
    newModel->GetTag(&report.tagP, &report.tagN);
    report.rowCount = static_cast<std::int32_t>(rowCount);
    // The model's Judge on each row's values in place: the same sum, in the same order.
    std::vector<double> weights(featureCount);
    for (size_t j = 0; j < featureCount; ++j) weights[j] = data.weights.GetValue(j);
    const detail::JudgementCounts counts =
        detail::JudgeRows(table, report.tagP, report.tagN, [&](size_t, const pct::LCDataRow& row) {
            double sum = 0.0;
            for (size_t j = 0; j < featureCount; ++j) sum += weights[j] * row.values[j];
            return sum - data.threshold > 0.0 ? data.tagP : data.tagN;
        });
    report.countP = counts.taggedP;
    report.countN = counts.taggedN;
    report.errorP = counts.missedP;
    report.errorN = counts.missedN;
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
    const detail::JudgementCounts counts = detail::JudgeRows(
        table, report.tagP, report.tagN, JudgeArranged(*model, positions, featureCount));
    detail::CopyJudgedAndWrong(counts, report);
    report.judgedOther = counts.judgedOther;
    return report;
}

pct::Ko::ClassifyReport LinearClassifier::Classify(pct::LCDataTable& table) {
    const size_t featureCount = featureIndex.size();
    const std::vector<size_t> positions =
        MapColumns(table, featureIndex, model != nullptr, featureCount);

    pct::Ko::ClassifyReport report;
    model->GetTag(&report.tagP, &report.tagN);
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    detail::CopyJudged(detail::JudgeRows(table, report.tagP, report.tagN,
                                         JudgeArranged(*model, positions, featureCount)),
                       report);
    return report;
}

const pct::Ko::TrainingReport& LinearClassifier::GetLastTraining() const { return lastTraining; }

const LinearClassificationModel* LinearClassifier::GetModel() const { return model.get(); }

}  // namespace pct::Ko
