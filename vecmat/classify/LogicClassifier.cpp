#include "vecmat/classify/LogicClassifier.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "vecmat/Messages.h"
#include "vecmat/classify/JudgeRows.h"
#include "vecmat/core/Matrix.h"
#include "vecmat/regression/GradientDescent.h"

namespace pct::Ko {

namespace {

// Settings of the damped Newton descent.
constexpr size_t kMaxSteps = 1000;
constexpr double kStepSize = 0.1;
constexpr double kLossTolerance = 1e-10;

void CheckRowWidths(const pct::LCDataTable& table) {
    const size_t width = table.featureNames.size();
    for (const pct::LCDataRow& row : table.rows) {
        if (row.values.size() != width) pct::detail::Fail(pct::msg::kTrainingDataError);
    }
}

void CheckTags(const pct::LCDataTable& table) {
    for (const pct::LCDataRow& row : table.rows) {
        if (row.tag != 0 && row.tag != 1) pct::detail::Fail(pct::msg::kLogisticTagNotBinary);
    }
}

// The sample (x1 ... xF, 1).
pct::Vector Augmented(const std::vector<double>& values) {
    const size_t width = values.size();
    pct::Vector x(width + 1);
    for (size_t j = 0; j < width; ++j) x.SetValue(j, values[j]);
    x.SetValue(width, 1.0);
    return x;
}

// 1 when theta . x >= 0, else 0 (a NaN product gives 0). Fails when the lengths differ.
int Judge(const pct::Vector& theta, const pct::Vector& x) { return theta.Dot(x) >= 0.0 ? 1 : 0; }

// Judges a table row by theta.
auto JudgeRow(const pct::Vector& theta) {
    return [&theta](size_t, const pct::LCDataRow& row) {
        return Judge(theta, Augmented(row.values));
    };
}

// The samples and tags of a training table, read by the loss and the Newton direction.
struct TrainingSet {
    std::vector<pct::Vector> samples;
    std::vector<double> tags;
    size_t width = 0;  // F + 1
};

// J(theta) = sum over rows of ln(e^z + 1) - y z with z = theta . x, in its literal form.
double Loss(const TrainingSet& set, const pct::Vector& theta) {
    double sum = 0.0;
    for (size_t i = 0; i < set.samples.size(); ++i) {
        const double z = theta.Dot(set.samples[i]);
        sum += std::log(std::exp(z) + 1.0) - set.tags[i] * z;
    }
    return sum;
}

// The Newton direction H^-1 g, with g = sum of (sigma - y) x and H = sum of
// sigma (1 - sigma) x x^T over the rows.
pct::Vector Direction(const TrainingSet& set, const pct::Vector& theta) {
    const size_t width = set.width;
    std::vector<double> gradient(width, 0.0);
    std::vector<double> hessian(width * width, 0.0);
    for (size_t i = 0; i < set.samples.size(); ++i) {
        const pct::Vector& x = set.samples[i];
        const double ez = std::exp(theta.Dot(x));
        const double sigma = ez / (ez + 1.0);
        const double residual = sigma - set.tags[i];
        const double weight = sigma * (1.0 - sigma);
        for (size_t a = 0; a < width; ++a) gradient[a] += residual * x[a];
        for (size_t a = 0; a < width; ++a) {
            const double scaled = weight * x[a];
            for (size_t b = 0; b < width; ++b) hessian[a * width + b] += scaled * x[b];
        }
    }
    const pct::Matrix h(width, width, hessian.data());
    return h.InverseMatrixEx() * pct::Vector(gradient.data(), width);
}

}  // namespace

LogicClassifier::LogicClassifier() = default;
LogicClassifier::LogicClassifier(const LogicClassifier& other) = default;
LogicClassifier::LogicClassifier(LogicClassifier&& other) noexcept = default;
LogicClassifier& LogicClassifier::operator=(const LogicClassifier& other) = default;
LogicClassifier& LogicClassifier::operator=(LogicClassifier&& other) noexcept = default;
LogicClassifier::~LogicClassifier() = default;

pct::Ko::LgTrainingReport LogicClassifier::Train(pct::LCDataTable& table) {
    CheckRowWidths(table);
    CheckTags(table);
    // Without rows there is no sample to size theta from.
    if (table.rows.empty()) pct::detail::Fail(pct::msg::kTrainingDataError);

    const size_t rowCount = table.rows.size();
    TrainingSet set;
    set.width = table.rows[0].values.size() + 1;
    set.samples.reserve(rowCount);
    set.tags.reserve(rowCount);
    for (const pct::LCDataRow& row : table.rows) {
        set.samples.push_back(Augmented(row.values));
        set.tags.push_back(static_cast<double>(row.tag));
    }

    const GradientDescent descent(
        [&set](const pct::Vector& t) { return Loss(set, t); },
        [&set](const pct::Vector& t) { return Direction(set, t); });
    GrandientResult result = descent.Compute(pct::Vector(set.width), kMaxSteps, kStepSize,
                                             kLossTolerance);
    theta = std::move(result.point);

    const detail::JudgementCounts counts =
        detail::JudgeRows(table, 1, 0, [this, &set](size_t i, const pct::LCDataRow&) {
            return Judge(theta, set.samples[i]);
        });
    pct::Ko::LgTrainingReport report;
    report.converged = result.tolerance >= result.loss;
    report.rowCount = static_cast<std::int32_t>(rowCount);
    report.tagP = 1;
    report.tagN = 0;
    detail::CopyJudgedAndWrong(counts, report);
    FillErrorRates(ErrorRate(report.wrongP, report.judgedP),
                   ErrorRate(report.wrongN, report.judgedN), report.errorRateGap,
                   report.errorRateRatio);
    return report;
}

pct::Ko::LgTestReport LogicClassifier::Test(pct::LCDataTable& table) {
    CheckRowWidths(table);
    CheckTags(table);

    const detail::JudgementCounts counts = detail::JudgeRows(table, 1, 0, JudgeRow(theta));
    pct::Ko::LgTestReport report;
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    detail::CopyJudgedAndWrong(counts, report);
    report.judgedOther = counts.judgedOther;
    return report;
}

pct::Ko::LgClassifyReport LogicClassifier::Classify(pct::LCDataTable& table) {
    CheckRowWidths(table);

    const detail::JudgementCounts counts = detail::JudgeRows(table, 1, 0, JudgeRow(theta));
    pct::Ko::LgClassifyReport report;
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    report.tagP = 1;
    report.tagN = 0;
    detail::CopyJudged(counts, report);
    return report;
}

}  // namespace pct::Ko
