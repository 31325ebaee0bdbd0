#pragma once

// The classifiers' training arithmetic written as plain loops over pct::Vector and
// pct::Matrix, one sample per vector, in the order the library must keep: every sum runs in
// row order into one accumulator starting at 0.0. The bit-identity tests hold the library's
// fast training against these, and the benchmarks time them as the plain reference.

#include <cmath>
#include <cstddef>
#include <iterator>
#include <map>
#include <vector>

#include "vecmat/classify/LCDataTable.h"
#include "vecmat/classify/LCMData.h"
#include "vecmat/core/Matrix.h"
#include "vecmat/core/Vector.h"
#include "vecmat/regression/GradientDescent.h"

namespace plain {

// The samples (x1 ... xF, 1) of a logistic training table and their tags.
struct LogisticSet {
    std::vector<pct::Vector> samples;
    std::vector<double> tags;
    size_t width = 0;  // F + 1

    explicit LogisticSet(const pct::LCDataTable& table) {
        width = table.rows.at(0).values.size() + 1;
        for (const pct::LCDataRow& row : table.rows) {
            pct::Vector x(width);
            for (size_t j = 0; j + 1 < width; ++j) x.SetValue(j, row.values[j]);
            x.SetValue(width - 1, 1.0);
            samples.push_back(x);
            tags.push_back(static_cast<double>(row.tag));
        }
    }

    // sum of ln(e^z + 1) - y z over the rows, z = theta . x.
    double Loss(const pct::Vector& theta) const {
        double sum = 0.0;
        for (size_t i = 0; i < samples.size(); ++i) {
            const double z = theta.Dot(samples[i]);
            sum += std::log(std::exp(z) + 1.0) - tags[i] * z;
        }
        return sum;
    }

    // H^-1 g with g = sum of (sigma - y) x and H = sum of sigma (1 - sigma) x x^T.
    pct::Vector Direction(const pct::Vector& theta) const {
        std::vector<double> gradient(width, 0.0);
        std::vector<double> hessian(width * width, 0.0);
        for (size_t i = 0; i < samples.size(); ++i) {
            const pct::Vector& x = samples[i];
            const double ez = std::exp(theta.Dot(x));
            const double sigma = ez / (ez + 1.0);
            const double residual = sigma - tags[i];
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
};

// theta after the classifier's descent: 1000 steps of 0.1 from zero, or until the loss is
// at most 1e-10.
inline pct::Vector LogisticTheta(const pct::LCDataTable& table) {
    const LogisticSet set(table);
    const pct::Ko::GradientDescent descent(
        [&set](const pct::Vector& t) { return set.Loss(t); },
        [&set](const pct::Vector& t) { return set.Direction(t); });
    return descent.Compute(pct::Vector(set.width), 1000, 0.1, 1e-10).point;
}

// The discriminant of the first two classes held (ascending tags), with the scatter summed
// over every class and row as a d x d outer product each. Expects valid classes.
inline pct::Ko::LCMData Lda(const std::map<int, pct::Matrix>& classes) {
    const size_t d = classes.begin()->second.GetColumnCount();
    std::map<int, pct::Vector> means;
    for (const auto& [tag, m] : classes) {
        pct::Vector mean(d);
        for (size_t j = 0; j < d; ++j) {
            double sum = 0.0;
            for (size_t i = 0; i < m.GetRowCount(); ++i) sum += m.GetPointValue(i, j);
            mean.SetValue(j, sum / static_cast<double>(m.GetRowCount()));
        }
        means.emplace(tag, mean);
    }
    std::vector<double> scatter(d * d, 0.0);
    std::vector<double> delta(d);
    for (const auto& [tag, m] : classes) {
        for (size_t r = 0; r < m.GetRowCount(); ++r) {
            for (size_t j = 0; j < d; ++j) delta[j] = m.GetPointValue(r, j) - means.at(tag)[j];
            for (size_t i = 0; i < d; ++i) {
                for (size_t j = 0; j < d; ++j) {
                    scatter[i * d + j] = delta[i] * delta[j] + scatter[i * d + j];
                }
            }
        }
    }
    const auto first = classes.begin();
    const auto second = std::next(first);
    const pct::Vector& meanP = means.at(first->first);
    const pct::Vector& meanN = means.at(second->first);
    const pct::Vector w = pct::Matrix(d, d, scatter.data()).InverseMatrixEx() * (meanP - meanN);

    auto project = [&w](const pct::Matrix& m) {
        std::vector<double> p;
        for (size_t r = 0; r < m.GetRowCount(); ++r) p.push_back(w.Dot(m.GetRowVector(r)));
        return p;
    };
    const std::vector<double> a = project(first->second);
    const std::vector<double> b = project(second->second);
    auto smallest = [](const std::vector<double>& v) {
        double result = v.front();
        for (double x : v) result = x < result ? x : result;
        return result;
    };
    auto largest = [](const std::vector<double>& v) {
        double result = v.front();
        for (double x : v) result = x > result ? x : result;
        return result;
    };
    const double threshold = w.Dot(meanP) > w.Dot(meanN) ? 0.5 * (smallest(a) + largest(b))
                                                          : 0.5 * (largest(a) + smallest(b));
    return pct::Ko::LCMData{w, threshold, first->first, second->first};
}

}  // namespace plain
