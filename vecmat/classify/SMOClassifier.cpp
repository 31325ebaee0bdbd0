#include "vecmat/classify/SMOClassifier.h"

#include <cmath>
#include <limits>
#include <utility>

#include "vecmat/Messages.h"
#include "vecmat/classify/KernelMachineTables.h"
#include "vecmat/classify/SMOSolver.h"

namespace pct::Ko {

namespace {

constexpr std::size_t kMebibyte = std::size_t(1) << 20;
constexpr std::size_t kDefaultCacheMegabytes = 100;

bool FinitePositive(double value) { return std::isfinite(value) && value > 0.0; }

}  // namespace

SMOClassifier::SMOClassifier(ISVMKernelFunction* kernel, double C, double tolerance)
    : kernel(detail::OwnKernel(kernel)),
      C(C),
      tolerance(tolerance),
      cacheBytes(kDefaultCacheMegabytes * kMebibyte),
      bias(0.0) {
    if (!FinitePositive(C)) pct::detail::Fail(pct::msg::kSmoCostInvalid);
    if (!FinitePositive(tolerance)) pct::detail::Fail(pct::msg::kSmoToleranceInvalid);
}

SMOClassifier::SMOClassifier(const SMOClassifier& other) = default;

SMOClassifier& SMOClassifier::operator=(const SMOClassifier& other) = default;

SMOClassifier::~SMOClassifier() = default;

void SMOClassifier::SetCacheSize(std::size_t megabytes) {
    const std::size_t most = std::numeric_limits<std::size_t>::max();
    cacheBytes = megabytes > most / kMebibyte ? most : megabytes * kMebibyte;
}

double SMOClassifier::Compute(const pct::Vector& x) {
    double f = 0.0;
    for (std::size_t i = 0; i < supportVectors.size(); ++i) {
        f += coefficients[i] * kernel->Calculate(supportVectors[i], x);
    }
    return f + bias;
}

pct::Ko::SVMTrainingReport SMOClassifier::Train(pct::LCDataTable& table) {
    detail::CheckRowWidths(table, pct::msg::kTableDataError);
    detail::CheckTags(table, pct::msg::kSvmTrainingTagInvalid);
    bool positive = false;
    bool negative = false;
    for (const pct::LCDataRow& row : table.rows) (row.tag == 1 ? positive : negative) = true;
    if (!positive || !negative) pct::detail::Fail(pct::msg::kSmoNeedsBothTags);

    const std::size_t rowCount = table.rows.size();
    std::vector<pct::Vector> samples;
    samples.reserve(rowCount);
    std::vector<double> labels(rowCount);
    for (std::size_t i = 0; i < rowCount; ++i) {
        samples.emplace_back(table.rows[i].values);
        labels[i] = table.rows[i].tag;
    }
    detail::KernelRows rows(*kernel, samples, cacheBytes);
    const detail::SmoSolution solution = detail::SolveSmo(rows, labels, C, tolerance);

    // The new model is built aside and then replaces the old one.
    std::map<std::string, std::size_t> names;
    for (std::size_t j = 0; j < table.featureNames.size(); ++j) names[table.featureNames[j]] = j;
    std::vector<pct::Vector> kept;
    std::vector<std::size_t> keptIndices;
    std::vector<double> keptCoefficients;
    for (std::size_t i = 0; i < rowCount; ++i) {
        if (!(solution.alphas[i] > 0.0)) continue;
        kept.push_back(samples[i]);
        keptIndices.push_back(i);
        keptCoefficients.push_back(labels[i] * solution.alphas[i]);
    }
    featureIndex = std::move(names);
    supportVectors = std::move(kept);
    supportIndices = std::move(keptIndices);
    coefficients = std::move(keptCoefficients);
    bias = solution.bias;

    // f(sample i) as Compute forms it, with the kernel values of the training samples.
    return detail::JudgeTrainingRows(table, [this, &rows](std::size_t i) {
        double f = 0.0;
        for (std::size_t s = 0; s < supportIndices.size(); ++s) {
            f += coefficients[s] * rows.Value(supportIndices[s], i);
        }
        return f + bias > 0.0 ? 1 : -1;
    });
}

pct::Ko::SVMTestReport SMOClassifier::Test(pct::LCDataTable& table) {
    return detail::TestRows(*this, featureIndex, table);
}

pct::Ko::SVMClassifyReport SMOClassifier::Classify(pct::LCDataTable& table) {
    return detail::ClassifyRows(*this, table);
}

int SMOClassifier::Classify(const pct::Vector& x) { return Compute(x) > 0.0 ? 1 : -1; }

int SMOClassifier::Classify(const std::vector<double>& x) { return Classify(pct::Vector(x)); }

const std::vector<std::size_t>& SMOClassifier::SupportIndices() const { return supportIndices; }

const std::vector<double>& SMOClassifier::DualCoefficients() const { return coefficients; }

double SMOClassifier::Bias() const { return bias; }

}  // namespace pct::Ko
