// Training the kernel classifier (SupportVectorMachine, regularised kernel Fisher
// discriminant) on 1000 samples of 10 features with a Gaussian kernel, against the same
// computation written with Eigen: kernel matrix, within-class matrix N + mu I, Cholesky
// solve for (N + mu I)^-1 (M+ - M-).
//
// Each benchmark runs three times; the program then prints the best time of each with its
// ratio to the Eigen reference of the same run and the peak memory of one call. The
// training listing goes to a discarded stream.

#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <cmath>
#include <iostream>
#include <sstream>
#include <string>

#include "bench/BenchReport.h"
#include "bench/BenchTables.h"
#include "vecmat/Vecmat.h"

namespace {

constexpr std::size_t kSamples = 1000;
constexpr std::size_t kFeatures = 10;
constexpr double kSigma = 3.0;

// Two overlapping classes; the first two features carry the label.
const pct::LCDataTable& Table() {
    static const pct::LCDataTable table =
        bench::TwoClassTable(kSamples, kFeatures, 2024, [](const std::vector<double>& x, double noise) {
            return x[0] + 0.5 * x[1] > 0.3 * noise ? 1 : -1;
        });
    return table;
}

double Library() {
    pct::LCDataTable table = Table();
    pct::Ko::SupportVectorMachine machine(new pct::Ko::SVMGaussKernel(kSigma));
    std::ostringstream listing;
    std::streambuf* out = std::cout.rdbuf(listing.rdbuf());
    const pct::Ko::SVMTrainingReport report = machine.Train(table);
    std::cout.rdbuf(out);
    return report.judgedP;
}

double EigenReference() {
    const pct::LCDataTable& table = Table();
    const Eigen::Index n = static_cast<Eigen::Index>(kSamples);
    Eigen::MatrixXd x(n, static_cast<Eigen::Index>(kFeatures));
    Eigen::VectorXd positive(n), negative(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const pct::LCDataRow& row = table.rows[static_cast<std::size_t>(i)];
        for (Eigen::Index f = 0; f < x.cols(); ++f) x(i, f) = row.values[static_cast<std::size_t>(f)];
        positive[i] = row.tag == 1 ? 1.0 : 0.0;
        negative[i] = row.tag == 1 ? 0.0 : 1.0;
    }
    const double countP = positive.sum(), countN = negative.sum();
    Eigen::MatrixXd k(n, n);
    for (Eigen::Index i = 0; i < n; ++i)
        for (Eigen::Index j = 0; j < n; ++j)
            k(i, j) = std::exp(-(x.row(i) - x.row(j)).squaredNorm() / (2 * kSigma * kSigma));
    const Eigen::VectorXd mP = k * positive / countP, mN = k * negative / countN;
    Eigen::MatrixXd within = k * k.transpose() - countN * mN * mN.transpose() - countP * mP * mP.transpose();
    within.diagonal().array() += 1e-6 * within.diagonal().mean();
    const Eigen::VectorXd a = within.llt().solve(mP - mN);
    return a[0];
}

const bench::Entry kEntries[] = {
    {"BM_SupportVectorMachineTrain", "SupportVectorMachine::Train", Library, 3, 1},
    {"BM_EigenReference", "Eigen reference", EigenReference, 3, 1},
};

}  // namespace

int main(int argc, char** argv) {
    Table();
    return bench::RunWithRatioTable(argc, argv, kEntries, "BM_EigenReference",
                                    std::to_string(kSamples) + " samples x " + std::to_string(kFeatures) +
                                        " features, Gaussian kernel. Training time (best of the run), "
                                        "ratio to the Eigen reference of this run, peak memory of one call:",
                                    "training");
}
