#pragma once

#include <cstddef>
#include <cstdint>
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

// Kernel two-class classifier on tables tagged 1 and -1. The decision function is
// f(x) = sum of label_i * alpha_i * K(s_i, x) + bias over the stored samples s_i; a sample
// is judged 1 when f(x) > 0, else -1. Training chooses the stored samples and their
// coefficients by a kernel Fisher discriminant.
class VECMAT_API SupportVectorMachine {
public:
    // Uses a new linear kernel.
    SupportVectorMachine();
    // Takes ownership of `kernel`; a null kernel is replaced by a new linear kernel.
    explicit SupportVectorMachine(ISVMKernelFunction* kernel);
    // Copies share the kernel; it is released once, with the last machine using it.
    SupportVectorMachine(const SupportVectorMachine& other);
    SupportVectorMachine& operator=(const SupportVectorMachine& other);
    ~SupportVectorMachine();

    // Trains from scratch on the table and judges every training row. Writes the
    // eigenvalue listing to standard output. A failing Train leaves the machine as it was.
    pct::Ko::SVMTrainingReport Train(pct::LCDataTable& table);
    // Judges every row, its columns matched to the trained features by name.
    pct::Ko::SVMTestReport Test(pct::LCDataTable& table);
    // Judges every row, its columns taken in table order.
    pct::Ko::SVMClassifyReport Classify(pct::LCDataTable& table);
    // 1 when f(x) > 0, else -1.
    int Classify(const pct::Vector& x);
    int Classify(const std::vector<double>& x);

private:
    // The decision function f(x).
    double Compute(const pct::Vector& x);
    // Kernel Fisher discriminant over the samples; replaces the stored samples, labels and
    // coefficients only when it succeeds.
    void KLDA(std::vector<pct::Vector> samples, const pct::Vector& labels);

    std::shared_ptr<ISVMKernelFunction> kernel;
    std::map<std::string, size_t> featureIndex;
    std::vector<pct::Vector> supportVectors;
    std::vector<double> alphas;
    std::vector<std::int32_t> labels;
    double bias;
};

}  // namespace pct::Ko
