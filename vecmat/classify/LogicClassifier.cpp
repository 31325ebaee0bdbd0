#include "vecmat/classify/LogicClassifier.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "vecmat/Messages.h"
#include "vecmat/classify/JudgeRows.h"
#include "vecmat/classify/OuterProductSums.h"
#include "vecmat/core/Matrix.h"
#include "vecmat/regression/GradientDescent.h"

namespace pct::Ko {

namespace {

// Settings of the damped Newton descent.
constexpr size_t kMaxSteps = 1000;
constexpr double kStepSize = 0.1;
constexpr double kLossTolerance = 1e-10;

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

// 1 when z = theta . x >= 0, else 0 (a NaN product gives 0).
int Judge(double z) { return z >= 0.0 ? 1 : 0; }

// Judges a table row by theta; fails when the sample and theta differ in length.
auto JudgeRow(const pct::Vector& theta) {
    return [&theta](size_t, const pct::LCDataRow& row) {
        return Judge(theta.Dot(Augmented(row.values)));
    };
}

std::vector<double> Values(const pct::Vector& v) {
    std::vector<double> values(v.Size());
    for (size_t j = 0; j < values.size(); ++j) values[j] = v.GetValue(j);
    return values;
}

// The samples (x1 ... xF, 1) of a training table with their tags, read by the loss and the
// Newton direction. The samples lie row after row in one flat array, padded for the outer
// product sums. The loss keeps e^(theta . x) of every row, and the direction at the same
// theta (the descent asks for it right after the loss) takes them instead of recomputing.
class TrainingSet {
public:
    explicit TrainingSet(const pct::LCDataTable& table)
        : rows(table.rows.size()),
          width(table.rows.at(0).values.size() + 1),
          stride(pct::detail::PaddedWidth(width)),
          samples(rows * stride, 0.0),
          tags(rows),
          products(rows),
          exps(rows) {
        for (size_t i = 0; i < rows; ++i) {
            const pct::LCDataRow& row = table.rows[i];
            std::copy(row.values.begin(), row.values.end(), samples.begin() + i * stride);
            samples[i * stride + width - 1] = 1.0;
            tags[i] = static_cast<double>(row.tag);
        }
    }

    size_t Width() const { return width; }

    // theta . x of every row; fails as the dot product does for a theta of another length.
    const std::vector<double>& Products(const std::vector<double>& theta) {
        if (theta.size() != width) pct::detail::Fail(pct::msg::kDotSizeMismatch);
        pct::detail::RowDots(samples.data(), stride, theta.data(), width, rows, products.data());
        return products;
    }

    // J(theta) = sum over rows of ln(e^z + 1) - y z with z = theta . x, in its literal form.
    double Loss(const pct::Vector& theta) {
        expsTheta = Values(theta);
        Products(expsTheta);
        double sum = 0.0;
        for (size_t i = 0; i < rows; ++i) {
            exps[i] = std::exp(products[i]);
            sum += std::log(exps[i] + 1.0) - tags[i] * products[i];
        }
        return sum;
    }

    // The Newton direction H^-1 g, with g = sum of (sigma - y) x and H = sum of
    // sigma (1 - sigma) x x^T over the rows. Both are one outer product sum: the rows
    // (sigma (1 - sigma) x, sigma - y) times x, block of rows after block of rows.
    pct::Vector Direction(const pct::Vector& theta) {
        const std::vector<double> t = Values(theta);
        const bool reuse = t.size() == expsTheta.size() &&
                           std::memcmp(t.data(), expsTheta.data(), t.size() * sizeof(double)) == 0;
        if (!reuse) {  // a direction at another theta computes its own
            Products(t);
            for (size_t i = 0; i < rows; ++i) exps[i] = std::exp(products[i]);
        }
        const size_t uStride = width + 1;
        std::vector<double> sums(uStride * stride, 0.0);
        std::vector<double> u(kBlockRows * uStride);
        for (size_t first = 0; first < rows; first += kBlockRows) {
            const size_t count = std::min(kBlockRows, rows - first);
            for (size_t r = 0; r < count; ++r) {
                const size_t i = first + r;
                const double ez = exps[i];
                const double sigma = ez / (ez + 1.0);
                const double weight = sigma * (1.0 - sigma);
                const double* x = samples.data() + i * stride;
                for (size_t a = 0; a < width; ++a) u[r * uStride + a] = weight * x[a];
                u[r * uStride + width] = sigma - tags[i];
            }
            pct::detail::AddOuterProducts(sums.data(), uStride, u.data(), uStride,
                                          samples.data() + first * stride, stride, count, false);
        }
        std::vector<double> hessian(width * width);
        for (size_t a = 0; a < width; ++a) {
            std::copy_n(sums.begin() + a * stride, width, hessian.begin() + a * width);
        }
        const pct::Matrix h(width, width, hessian.data());
        return h.InverseMatrixEx() * pct::Vector(sums.data() + width * stride, width);
    }

private:
    // Rows per block of the outer product sums: their samples and scaled rows stay in cache.
    static constexpr size_t kBlockRows = 256;

    size_t rows;
    size_t width;   // F + 1
    size_t stride;  // width padded
    std::vector<double> samples;
    std::vector<double> tags;
    std::vector<double> products;   // theta . x of every row, scratch
    std::vector<double> exps;       // e^(theta . x) of every row at expsTheta
    std::vector<double> expsTheta;  // the theta of the last loss
};

}  // namespace

LogicClassifier::LogicClassifier() = default;
LogicClassifier::LogicClassifier(const LogicClassifier& other) = default;
LogicClassifier::LogicClassifier(LogicClassifier&& other) noexcept = default;
LogicClassifier& LogicClassifier::operator=(const LogicClassifier& other) = default;
LogicClassifier& LogicClassifier::operator=(LogicClassifier&& other) noexcept = default;
LogicClassifier::~LogicClassifier() = default;

pct::Ko::LgTrainingReport LogicClassifier::Train(pct::LCDataTable& table) {
    detail::CheckRowWidths(table, pct::msg::kTrainingDataError);
    CheckTags(table);
    // Without rows there is no sample to size theta from.
    if (table.rows.empty()) pct::detail::Fail(pct::msg::kTrainingDataError);

    TrainingSet set(table);
    const GradientDescent descent([&set](const pct::Vector& t) { return set.Loss(t); },
                                  [&set](const pct::Vector& t) { return set.Direction(t); });
    GrandientResult result =
        descent.Compute(pct::Vector(set.Width()), kMaxSteps, kStepSize, kLossTolerance);
    theta = std::move(result.point);

    const std::vector<double>& products = set.Products(Values(theta));
    const detail::JudgementCounts counts =
        detail::JudgeRows(table, 1, 0, [&products](size_t i, const pct::LCDataRow&) {
            return Judge(products[i]);
        });
    pct::Ko::LgTrainingReport report;
    report.converged = result.tolerance >= result.loss;
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    report.tagP = 1;
    report.tagN = 0;
    detail::CopyJudgedAndWrong(counts, report);
    FillErrorRates(ErrorRate(report.wrongP, report.judgedP),
                   ErrorRate(report.wrongN, report.judgedN), report.errorRateGap,
                   report.errorRateRatio);
    return report;
}

pct::Ko::LgTestReport LogicClassifier::Test(pct::LCDataTable& table) {
    detail::CheckRowWidths(table, pct::msg::kTrainingDataError);
    CheckTags(table);

    const detail::JudgementCounts counts = detail::JudgeRows(table, 1, 0, JudgeRow(theta));
    pct::Ko::LgTestReport report;
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    detail::CopyJudgedAndWrong(counts, report);
    report.judgedOther = counts.judgedOther;
    return report;
}

pct::Ko::LgClassifyReport LogicClassifier::Classify(pct::LCDataTable& table) {
    detail::CheckRowWidths(table, pct::msg::kTrainingDataError);

    const detail::JudgementCounts counts = detail::JudgeRows(table, 1, 0, JudgeRow(theta));
    pct::Ko::LgClassifyReport report;
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    report.tagP = 1;
    report.tagN = 0;
    detail::CopyJudged(counts, report);
    return report;
}

const pct::Vector& LogicClassifier::GetTheta() const { return theta; }

}  // namespace pct::Ko
