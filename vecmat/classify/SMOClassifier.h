#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "vecmat/Export.h"
#include "vecmat/classify/ClassifierReports.h"
#include "vecmat/classify/ISVMKernelFunction.h"
#include "vecmat/classify/LCDataTable.h"
#include "vecmat/core/Vector.h"

namespace pct::Ko {

// A soft-margin support vector machine (C-SVC) on tables tagged 1 and -1, trained by
// sequential minimal optimisation with second-order working-set selection (as libsvm).
// Training minimises 1/2 a^T Q a - sum a_i over 0 <= a_i <= C with sum y_i a_i = 0,
// Q_ij = y_i y_j K(x_i, x_j), until the largest violation of the optimality conditions is
// below the tolerance. The samples with a_i > 0 are kept as support vectors; the bias is
// the mean over the free ones (0 < a_i < C). A sample is judged 1 when
// f(x) = sum of y_i a_i K(s_i, x) + bias > 0, else -1; an untrained machine judges -1.
//
// The kernels follow scikit-learn's SVC as: linear = kernel "linear"; SVMPolynomialKernel(d)
// = "poly" with degree d, gamma 1, coef0 0; SVMGaussKernel(s) = "rbf" with
// gamma 1 / (2 s^2); SVMSigmoidKernel(a, b) = "sigmoid" with gamma a, coef0 b.
class VECMAT_API SMOClassifier {
public:
    // Takes ownership of `kernel` (null: a new linear kernel). C is the penalty on margin
    // violations, `tolerance` the stopping threshold of the solver; both must be finite and
    // positive, or construction fails (and releases the kernel).
    explicit SMOClassifier(ISVMKernelFunction* kernel = nullptr, double C = 1.0,
                           double tolerance = 1e-3);
    // Copies hold their own model and share the kernel, which the last one releases.
    SMOClassifier(const SMOClassifier& other);
    SMOClassifier& operator=(const SMOClassifier& other);
    ~SMOClassifier();

    // Memory for cached kernel rows, in MiB (default 100); at least two rows are kept.
    // Only training speed depends on it.
    void SetCacheSize(std::size_t megabytes);

    // Trains from scratch and judges every training row. Fails, leaving the machine as it
    // was, with "数据表中数据错误" (a row's width differs from the header), then
    // "训练样本标签必须是1或-1", then "训练样本必须同时包含标签1和-1" (also for a table
    // without rows), "核函数值不是有限数" and "SMO训练迭代次数超限，结果未收敛".
    pct::Ko::SVMTrainingReport Train(pct::LCDataTable& table);
    // Judges every row, its columns matched to the trained features by name; fails with
    // "数据表中数据错误", "测试数据表中的数据与训练集数据不一致", "测试样本标签必须是1或-1".
    pct::Ko::SVMTestReport Test(pct::LCDataTable& table);
    // Judges every row, its columns taken in table order; fails with "数据表中数据错误".
    pct::Ko::SVMClassifyReport Classify(pct::LCDataTable& table);
    // 1 when f(x) > 0, else -1.
    int Classify(const pct::Vector& x);
    int Classify(const std::vector<double>& x);

    // The trained model: the training rows kept as support vectors (ascending), their
    // coefficients y_i a_i in the same order, and the bias.
    const std::vector<std::size_t>& SupportIndices() const;
    const std::vector<double>& DualCoefficients() const;
    double Bias() const;

private:
    // The decision function f(x).
    double Compute(const pct::Vector& x);

    std::shared_ptr<ISVMKernelFunction> kernel;
    double C;
    double tolerance;
    std::size_t cacheBytes;
    std::map<std::string, std::size_t> featureIndex;
    std::vector<pct::Vector> supportVectors;
    std::vector<std::size_t> supportIndices;
    std::vector<double> coefficients;
    double bias;
};

}  // namespace pct::Ko
