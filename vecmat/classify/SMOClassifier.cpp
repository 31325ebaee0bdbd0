#include "vecmat/classify/SMOClassifier.h"

#include <cmath>
#include <limits>
#include <utility>

#include "vecmat/Messages.h"
#include "vecmat/classify/SMOSolver.h"

namespace pct::Ko {

namespace {

constexpr std::size_t kMebibyte = std::size_t(1) << 20;
constexpr std::size_t kDefaultCacheMegabytes = 100;

// Kernels are destroyed through their own Release.
std::shared_ptr<ISVMKernelFunction> OwnKernel(ISVMKernelFunction* kernel) {
    if (kernel == nullptr) kernel = new SVMLinearKernel();
    return std::shared_ptr<ISVMKernelFunction>(kernel, [](ISVMKernelFunction* k) { k->Release(); });
}

bool FinitePositive(double value) { return std::isfinite(value) && value > 0.0; }

void CheckRowWidths(const pct::LCDataTable& table) {
    const std::size_t width = table.featureNames.size();
    for (const pct::LCDataRow& row : table.rows) {
        if (row.values.size() != width) pct::detail::Fail(pct::msg::kTableDataError);
    }
}

void CheckTags(const pct::LCDataTable& table, const char* message) {
    for (const pct::LCDataRow& row : table.rows) {
        if (row.tag != 1 && row.tag != -1) pct::detail::Fail(message);
    }
}

// Counts a judged row in a training or test report.
template <class Report>
void Tally(Report& report, const pct::LCDataRow& row) {
    if (row.result == 1) {
        ++report.judgedP;
        if (row.tag != 1) ++report.wrongP;
    } else {
        ++report.judgedN;
        if (row.tag != -1) ++report.wrongN;
    }
}

}  // namespace

SMOClassifier::SMOClassifier(ISVMKernelFunction* kernel, double C, double tolerance)
    : kernel(OwnKernel(kernel)),
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
    CheckRowWidths(table);
    CheckTags(table, pct::msg::kSvmTrainingTagInvalid);
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

    pct::Ko::SVMTrainingReport report;
    report.trained = true;
    report.rowCount = static_cast<std::int32_t>(rowCount);
    for (std::size_t i = 0; i < rowCount; ++i) {
        // f(sample i) as Compute forms it, with the kernel values of the training samples.
        double f = 0.0;
        for (std::size_t s = 0; s < supportIndices.size(); ++s) {
            f += coefficients[s] * rows.Value(supportIndices[s], i);
        }
        table.rows[i].result = f + bias > 0.0 ? 1 : -1;
        Tally(report, table.rows[i]);
    }
    return report;
}

pct::Ko::SVMTestReport SMOClassifier::Test(pct::LCDataTable& table) {
    CheckRowWidths(table);
    if (table.featureNames.size() != featureIndex.size()) {
        pct::detail::Fail(pct::msg::kSvmTestHeaderMismatch);
    }
    std::vector<std::size_t> position;
    for (const std::string& name : table.featureNames) {
        const auto found = featureIndex.find(name);
        if (found == featureIndex.end()) pct::detail::Fail(pct::msg::kSvmTestHeaderMismatch);
        position.push_back(found->second);
    }
    CheckTags(table, pct::msg::kSvmTestTagInvalid);

    pct::Ko::SVMTestReport report;
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    for (pct::LCDataRow& row : table.rows) {
        pct::Vector sample(row.values.size());
        for (std::size_t j = 0; j < row.values.size(); ++j)
            sample.SetValue(position[j], row.values[j]);
        row.result = Compute(sample) > 0.0 ? 1 : -1;
        Tally(report, row);
    }
    return report;
}

pct::Ko::SVMClassifyReport SMOClassifier::Classify(pct::LCDataTable& table) {
    CheckRowWidths(table);
    pct::Ko::SVMClassifyReport report;
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    for (pct::LCDataRow& row : table.rows) {
        row.result = Classify(row.values);
        if (row.result == 1) {
            ++report.judgedP;
        } else {
            ++report.judgedN;
        }
    }
    return report;
}

int SMOClassifier::Classify(const pct::Vector& x) { return Compute(x) > 0.0 ? 1 : -1; }

int SMOClassifier::Classify(const std::vector<double>& x) { return Classify(pct::Vector(x)); }

const std::vector<std::size_t>& SMOClassifier::SupportIndices() const { return supportIndices; }

const std::vector<double>& SMOClassifier::DualCoefficients() const { return coefficients; }

double SMOClassifier::Bias() const { return bias; }

}  // namespace pct::Ko
