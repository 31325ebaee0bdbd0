#include "vecmat/classify/SupportVectorMachine.h"

#include <iostream>
#include <utility>

#include "vecmat/Messages.h"
#include "vecmat/classify/JudgeRows.h"
#include "vecmat/core/Matrix.h"

namespace pct::Ko {

namespace {

// Samples whose coefficient exceeds this value become stored samples.
constexpr double kSupportThreshold = 0.01;

// Arguments of the eigen-decomposition in training: a tolerance this large accepts the
// discriminant matrix at once unless an element below its diagonal exceeds it.
constexpr double kEigenTolerance = 100000.0;
constexpr int kEigenMaxIterations = 100000;

// The kernel's deleter: kernels are destroyed through their own Release.
void ReleaseKernel(ISVMKernelFunction* kernel) {
    if (kernel != nullptr) kernel->Release();
}

std::shared_ptr<ISVMKernelFunction> Own(ISVMKernelFunction* kernel) {
    if (kernel == nullptr) kernel = new SVMLinearKernel();
    return std::shared_ptr<ISVMKernelFunction>(kernel, ReleaseKernel);
}

void CheckRowWidths(const pct::LCDataTable& table) {
    const size_t width = table.featureNames.size();
    for (const pct::LCDataRow& row : table.rows) {
        if (row.values.size() != width) pct::detail::Fail(pct::msg::kTableDataError);
    }
}

void CheckTags(const pct::LCDataTable& table, const char* message) {
    for (const pct::LCDataRow& row : table.rows) {
        if (row.tag != 1 && row.tag != -1) pct::detail::Fail(message);
    }
}

}  // namespace

SupportVectorMachine::SupportVectorMachine() : kernel(Own(new SVMLinearKernel())), bias(0.0) {}

SupportVectorMachine::SupportVectorMachine(ISVMKernelFunction* kernel)
    : kernel(Own(kernel)), bias(0.0) {}

SupportVectorMachine::SupportVectorMachine(const SupportVectorMachine& other) = default;

SupportVectorMachine& SupportVectorMachine::operator=(const SupportVectorMachine& other) = default;

SupportVectorMachine::~SupportVectorMachine() = default;

double SupportVectorMachine::Compute(const pct::Vector& x) {
    double f = 0.0;
    const size_t count = supportVectors.size();
    for (size_t i = 0; i < count; ++i) {
        f = f + static_cast<double>(labels[i]) * alphas[i] *
                    kernel->Calculate(supportVectors[i], x);
    }
    return f + bias;
}

void SupportVectorMachine::KLDA(std::vector<pct::Vector> samples, const pct::Vector& labelValues) {
    const size_t n = samples.size();
    size_t countPositive = 0;
    size_t countNegative = 0;
    for (size_t j = 0; j < n; ++j) {
        if (labelValues[j] == 1.0) {
            ++countPositive;
        } else {
            ++countNegative;
        }
    }
    if (n == 0) pct::detail::Fail(pct::msg::kMatrixZeroDimension);

    pct::Matrix k(n, n);
    for (size_t a = 0; a < n; ++a) {
        for (size_t b = 0; b < n; ++b) {
            k.SetPointValue(a, b, kernel->Calculate(samples[a], samples[b]));
        }
    }

    // Class indicator columns, each averaging over its class.
    pct::Matrix uNegative(n, 1);
    pct::Matrix uPositive(n, 1);
    for (size_t j = 0; j < n; ++j) {
        if (labelValues[j] == 1.0) {
            uPositive.SetPointValue(j, 0, 1.0 / static_cast<double>(countPositive));
        } else {
            uNegative.SetPointValue(j, 0, 1.0 / static_cast<double>(countNegative));
        }
    }
    const pct::Matrix mNegative = k * uNegative;
    const pct::Matrix mPositive = k * uPositive;

    // Within-class and between-class matrices of the kernel space.
    const pct::Matrix within =
        k * k.Transpose() -
        (static_cast<double>(countNegative) * mNegative * mNegative.Transpose() +
         static_cast<double>(countPositive) * mPositive * mPositive.Transpose());
    const pct::Matrix difference = mPositive - mNegative;
    const pct::Matrix between = difference * difference.Transpose();
    pct::Matrix discriminant = within.InverseMatrixEx() * between;

    std::pair<std::vector<double>, pct::Matrix> eigen =
        discriminant.EigenDecomposition(kEigenTolerance, kEigenMaxIterations);
    const std::vector<double>& values = eigen.first;

    // The first largest eigenvalue; ties keep the lower index.
    size_t best = 0;
    for (size_t i = 1; i < values.size(); ++i) {
        if (values[i] > values[best]) best = i;
    }
    const pct::Vector coefficients = eigen.second.GetColVector(best);

    std::cout << pct::msg::kSvmEigenvaluesHeading << std::endl;
    for (double value : values) std::cout << value << std::endl;
    std::cout << pct::msg::kSvmLargestEigenvalueHeading << values[best] << std::endl;
    coefficients.Print();

    std::vector<pct::Vector> keptSamples;
    std::vector<double> keptAlphas;
    std::vector<std::int32_t> keptLabels;
    for (size_t j = 0; j < n; ++j) {
        const double alpha = coefficients[j];
        if (!(alpha > kSupportThreshold)) continue;
        keptSamples.push_back(std::move(samples[j]));
        // Labels are 1 or -1 here (Train checks the tags), so the conversion is exact.
        keptLabels.push_back(static_cast<std::int32_t>(labelValues[j]));
        keptAlphas.push_back(alpha);
    }

    // Training starts afresh: the new set replaces what an earlier training stored.
    supportVectors = std::move(keptSamples);
    alphas = std::move(keptAlphas);
    labels = std::move(keptLabels);
}

pct::Ko::SVMTrainingReport SupportVectorMachine::Train(pct::LCDataTable& table) {
    CheckRowWidths(table);
    CheckTags(table, pct::msg::kSvmTrainingTagInvalid);

    std::map<std::string, size_t> index;
    for (size_t j = 0; j < table.featureNames.size(); ++j) index[table.featureNames[j]] = j;

    const size_t rowCount = table.rows.size();
    std::vector<pct::Vector> samples;
    samples.reserve(rowCount);
    pct::Vector labelValues(rowCount);
    for (size_t i = 0; i < rowCount; ++i) {
        samples.emplace_back(table.rows[i].values);
        labelValues.SetValue(i, static_cast<double>(table.rows[i].tag));
    }

    KLDA(samples, labelValues);
    featureIndex = std::move(index);

    pct::Ko::SVMTrainingReport report;
    report.trained = true;
    report.rowCount = static_cast<std::int32_t>(rowCount);
    report.tagP = 1;
    report.tagN = -1;
    detail::CopyJudgedAndWrong(
        detail::JudgeRows(table, 1, -1,
                          [this, &samples](size_t i, const pct::LCDataRow&) {
                              return Classify(samples[i]);
                          }),
        report);
    return report;
}

pct::Ko::SVMTestReport SupportVectorMachine::Test(pct::LCDataTable& table) {
    CheckRowWidths(table);
    if (table.featureNames.size() != featureIndex.size()) {
        pct::detail::Fail(pct::msg::kSvmTestHeaderMismatch);
    }
    for (const std::string& name : table.featureNames) {
        if (featureIndex.find(name) == featureIndex.end()) {
            pct::detail::Fail(pct::msg::kSvmTestHeaderMismatch);
        }
    }
    CheckTags(table, pct::msg::kSvmTestTagInvalid);

    // Where each table column goes in the training layout.
    std::vector<size_t> position;
    position.reserve(table.featureNames.size());
    for (const std::string& name : table.featureNames) position.push_back(featureIndex.at(name));

    pct::Ko::SVMTestReport report;
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    report.tagP = 1;
    report.tagN = -1;
    detail::CopyJudgedAndWrong(
        detail::JudgeRows(table, 1, -1,
                          [this, &position](size_t, const pct::LCDataRow& row) {
                              pct::Vector sample(row.values.size());
                              for (size_t j = 0; j < row.values.size(); ++j) {
                                  sample.SetValue(position[j], row.values[j]);
                              }
                              return Classify(sample);
                          }),
        report);
    return report;
}

pct::Ko::SVMClassifyReport SupportVectorMachine::Classify(pct::LCDataTable& table) {
    CheckRowWidths(table);

    pct::Ko::SVMClassifyReport report;
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    report.tagP = 1;
    report.tagN = -1;
    detail::CopyJudged(detail::JudgeRows(table, 1, -1,
                                         [this](size_t, const pct::LCDataRow& row) {
                                             return Classify(pct::Vector(row.values));
                                         }),
                       report);
    return report;
}

int SupportVectorMachine::Classify(const pct::Vector& x) { return Compute(x) > 0.0 ? 1 : -1; }

int SupportVectorMachine::Classify(const std::vector<double>& x) {
    return Classify(pct::Vector(x));
}

}  // namespace pct::Ko
