#include "vecmat/classify/SupportVectorMachine.h"

#include <cmath>
#include <iostream>
#include <utility>
#include <vector>

#include "vecmat/Messages.h"
#include "vecmat/classify/KernelMachineTables.h"
#include "vecmat/core/Matrix.h"

namespace pct::Ko {

namespace {

// Samples whose coefficient exceeds this value become stored samples.
constexpr double kSupportThreshold = 0.01;

// The within-class matrix is regularised by adding mu = kRidgeShare times its mean diagonal
// to its diagonal (see Ridge).
constexpr double kRidgeShare = 1e-6;

// N's mean diagonal counts as rounding noise below this share of K K^T's mean diagonal.
constexpr double kRoundingShare = 1e-12;

double MeanDiagonal(const pct::Matrix& m) {
    const size_t n = m.GetRowCount();
    double sum = 0.0;
    for (size_t j = 0; j < n; ++j) sum += m.GetPointValue(j, j);
    return sum / static_cast<double>(n);
}

// mu = kRidgeShare times N's mean diagonal. Where N vanishes (every class holds one
// distinct sample, as with two samples) its diagonal is rounding noise, and the scale is
// taken from K K^T instead; where that too is zero, from 1.
double Ridge(const pct::Matrix& within, const pct::Matrix& kernelSquare) {
    const double kernelScale = MeanDiagonal(kernelSquare);
    double scale = MeanDiagonal(within);
    if (!(scale > kRoundingShare * kernelScale)) scale = kernelScale;
    if (!(scale > 0.0)) scale = 1.0;
    return kRidgeShare * scale;
}

// Solves (N + mu I) x = d by a Cholesky factorisation of the symmetric N + mu I: the
// N^-1 d an explicit inverse would give, at a sixth of its work. A pivot that is not
// positive (NaN kernel values) fails as a singular matrix does.
std::vector<double> SolveRegularised(const pct::Matrix& within, double mu,
                                     const pct::Matrix& d) {
    const size_t n = within.GetRowCount();
    std::vector<double> l(n * n);  // the factor L, row-major, lower triangle used
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = 0; j <= i; ++j) {
            double sum = within.GetPointValue(i, j);
            if (i == j) sum += mu;
            for (size_t k = 0; k < j; ++k) sum -= l[i * n + k] * l[j * n + k];
            if (i != j) {
                l[i * n + j] = sum / l[j * n + j];
            } else if (sum > 0.0) {
                l[i * n + i] = std::sqrt(sum);
            } else {
                pct::detail::Fail(pct::msg::kMatrixNotInvertible);
            }
        }
    }
    std::vector<double> x(n);
    for (size_t i = 0; i < n; ++i) {
        double sum = d.GetPointValue(i, 0);
        for (size_t k = 0; k < i; ++k) sum -= l[i * n + k] * x[k];
        x[i] = sum / l[i * n + i];
    }
    for (size_t i = n; i-- > 0;) {
        double sum = x[i];
        for (size_t k = i + 1; k < n; ++k) sum -= l[k * n + i] * x[k];
        x[i] = sum / l[i * n + i];
    }
    return x;
}

}  // namespace

SupportVectorMachine::SupportVectorMachine() : kernel(detail::OwnKernel(nullptr)), bias(0.0) {}

SupportVectorMachine::SupportVectorMachine(ISVMKernelFunction* kernel)
    : kernel(detail::OwnKernel(kernel)), bias(0.0) {}

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

    // Within-class matrix of the kernel space, regularised: centring each class removes a
    // dimension, so N itself is singular and its inverse would exist only through rounding.
    const pct::Matrix kernelSquare = k * k.Transpose();
    const pct::Matrix within =
        kernelSquare -
        (static_cast<double>(countNegative) * mNegative * mNegative.Transpose() +
         static_cast<double>(countPositive) * mPositive * mPositive.Transpose());

    // A = N^-1 B has rank one, since B = d d^T with d = M+ - M-: its eigenvalues are
    // d^T N^-1 d and n - 1 zeros, and its leading eigenvector is N^-1 d, taken at unit
    // length as the eigen-decomposition's orthogonal factor holds it.
    const pct::Matrix difference = mPositive - mNegative;
    const std::vector<double> direction =
        SolveRegularised(within, Ridge(within, kernelSquare), difference);
    double largest = 0.0;
    for (size_t j = 0; j < n; ++j) largest += difference.GetPointValue(j, 0) * direction[j];
    const pct::Vector coefficients = pct::Vector(direction).ToUnit();

    std::cout << pct::msg::kSvmEigenvaluesHeading << std::endl;
    std::cout << largest << std::endl;
    for (size_t j = 1; j < n; ++j) std::cout << 0.0 << std::endl;
    std::cout << pct::msg::kSvmLargestEigenvalueHeading << largest << std::endl;
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
    detail::CheckRowWidths(table, pct::msg::kTableDataError);
    detail::CheckTags(table, pct::msg::kSvmTrainingTagInvalid);

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
    return detail::JudgeTrainingRows(table, [this, &samples](size_t i) { return Classify(samples[i]); });
}

pct::Ko::SVMTestReport SupportVectorMachine::Test(pct::LCDataTable& table) {
    return detail::TestRows(*this, featureIndex, table);
}

pct::Ko::SVMClassifyReport SupportVectorMachine::Classify(pct::LCDataTable& table) {
    return detail::ClassifyRows(*this, table);
}

int SupportVectorMachine::Classify(const pct::Vector& x) { return Compute(x) > 0.0 ? 1 : -1; }

int SupportVectorMachine::Classify(const std::vector<double>& x) {
    return Classify(pct::Vector(x));
}

}  // namespace pct::Ko
