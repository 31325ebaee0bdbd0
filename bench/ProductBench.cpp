// The product of two 400 x 400 matrices: the library's operator* against Eigen's product
// (built with the same flags) and against the plain i-k-j loop the library used before,
// all in one run. The library picks its AVX2 kernel on a processor that has it; run with
// VECMAT_SIMD=generic to time its generic kernel.

#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "tests/support/BitIdentity.h"
#include "tests/support/PlainKernels.h"
#include "vecmat/core/Matrix.h"

namespace {

constexpr size_t kSize = 400;

struct Inputs {
    std::vector<double> a = testing_support::AwkwardValues(kSize * kSize, 1);
    std::vector<double> b = testing_support::AwkwardValues(kSize * kSize, 2);
    pct::Matrix ma{kSize, kSize, a.data()};
    pct::Matrix mb{kSize, kSize, b.data()};
    Eigen::MatrixXd ea = Eigen::Map<const Eigen::Matrix<double, -1, -1, Eigen::RowMajor>>(a.data(), kSize, kSize);
    Eigen::MatrixXd eb = Eigen::Map<const Eigen::Matrix<double, -1, -1, Eigen::RowMajor>>(b.data(), kSize, kSize);
};

const Inputs& In() {
    static const Inputs inputs;
    return inputs;
}

double Vecmat() { return (In().ma * In().mb).GetPointValue(0, 0); }

double EigenProduct() {
    Eigen::MatrixXd c;
    c.noalias() = In().ea * In().eb;
    return c(0, 0);
}

double PlainLoop() { return testing_support::plain::PlainProduct(In().a, In().b, kSize, kSize, kSize)[0]; }

const bench::Entry kEntries[] = {
    {"BM_Vecmat", "Vecmat operator*", Vecmat},
    {"BM_Eigen", "Eigen product", EigenProduct},
    {"BM_PlainLoop", "plain i-k-j loop", PlainLoop},
};

}  // namespace

int main(int argc, char** argv) {
    In();
    return bench::RunWithRatioTable(argc, argv, kEntries, "BM_Eigen",
                                    std::to_string(kSize) + " x " + std::to_string(kSize) +
                                        " product. Time (best of the run), ratio to Eigen, peak memory:",
                                    "product");
}
