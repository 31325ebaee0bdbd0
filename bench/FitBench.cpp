// Polynomial fit of degree 5 on 1,000,000 points: the library's four fits against the same
// normal-equation fit written with Eigen, and against the textbook grouping
// ((X^T X)^-1 X^T) y spelled out with the library's own matrix operations.
//
// Each timed benchmark runs three times. After the timings the program prints each fit's
// time as a ratio to the Eigen reference measured in the same run (the best repetition of
// each), then the peak memory of one call of each fit: the call runs in a child process
// and the growth of the child's resident high-water mark is reported, so the inputs (two
// vectors of 8 MB, shared with the parent) are not counted.

#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "vecmat/Vecmat.h"

namespace {

constexpr size_t kPoints = 1000000;
constexpr size_t kDegree = 5;

// The sample: x uniform on [-3, 3], y = sin x plus normal noise; the same for every run.
template <class Store>
void Sample(Store&& store) {
    std::mt19937_64 gen(12345);
    std::uniform_real_distribution<double> ux(-3.0, 3.0);
    std::normal_distribution<double> noise(0.0, 0.1);
    for (size_t i = 0; i < kPoints; ++i) {
        const double x = ux(gen);
        store(i, x, std::sin(x) + noise(gen));
    }
}

struct VecmatInputs {
    pct::Vector x{kPoints};
    pct::Vector y{kPoints};
    VecmatInputs() {
        Sample([this](size_t i, double xi, double yi) {
            x[i] = xi;
            y[i] = yi;
        });
    }
};

const VecmatInputs& Inputs() {
    static const VecmatInputs inputs;
    return inputs;
}

struct EigenInputs {
    Eigen::VectorXd x{static_cast<Eigen::Index>(kPoints)};
    Eigen::VectorXd y{static_cast<Eigen::Index>(kPoints)};
    EigenInputs() {
        Sample([this](size_t i, double xi, double yi) {
            x[static_cast<Eigen::Index>(i)] = xi;
            y[static_cast<Eigen::Index>(i)] = yi;
        });
    }
};

const EigenInputs& InputsForEigen() {
    static const EigenInputs inputs;
    return inputs;
}

// One call of each fit, as the timed loops and the memory probe run it.

double VecmatFit() {
    const VecmatInputs& in = Inputs();
    return pct::Ko::Trendfit::Fit(in.x, in.y, kDegree)[0];
}

double VecmatRidge() {
    const VecmatInputs& in = Inputs();
    return pct::Ko::Trendfit::Ridge(in.x, in.y, 0.5, kDegree)[0];
}

double VecmatLasso() {
    const VecmatInputs& in = Inputs();
    return pct::Ko::Trendfit::Lasso(in.x, in.y, 0.5, kDegree)[0];
}

double VecmatElasticNet() {
    const VecmatInputs& in = Inputs();
    return pct::Ko::Trendfit::ElasticNet(in.x, in.y, 0.5, 0.5, kDegree)[0];
}

// The products grouped as written, each an m-sized matrix of its own: X, X^T, W and Y.
double LiteralGrouping() {
    const VecmatInputs& in = Inputs();
    const pct::Matrix x = pct::Ko::Trendfit::Expend(in.x, kDegree);
    const pct::Matrix xt = x.Transpose();
    std::vector<double> ys = pct::Vector(in.y).ToFeatureDatas();
    const pct::Matrix y = pct::Matrix(1, kPoints, ys.data()).Transpose();
    const pct::Matrix r = ((xt * x).InverseMatrixEx() * xt) * y;
    return r.GetPointValue(0, 0);
}

// The reference: the same design matrix (powers by pow, as the library must), then the
// normal equations (X^T X) w = X^T y solved with Eigen.
double EigenNormalEquations() {
    const EigenInputs& in = InputsForEigen();
    const Eigen::Index m = static_cast<Eigen::Index>(kPoints);
    const Eigen::Index c = static_cast<Eigen::Index>(kDegree + 1);
    Eigen::MatrixXd x(m, c);
    for (Eigen::Index i = 0; i < m; ++i) {
        const double v = in.x[i];
        x(i, 0) = 1.0;
        x(i, 1) = v;
        for (Eigen::Index p = 2; p < c; ++p) x(i, p) = std::pow(v, static_cast<double>(p));
    }
    const Eigen::MatrixXd n = x.transpose() * x;
    const Eigen::VectorXd b = x.transpose() * in.y;
    const Eigen::VectorXd w = n.ldlt().solve(b);
    return w[0];
}

// The same with the powers formed by repeated multiplication, as Eigen code usually does
// it (other bits, so not a way open to the library): how much of the time pow takes.
double EigenByProducts() {
    const EigenInputs& in = InputsForEigen();
    const Eigen::Index m = static_cast<Eigen::Index>(kPoints);
    const Eigen::Index c = static_cast<Eigen::Index>(kDegree + 1);
    Eigen::MatrixXd x(m, c);
    x.col(0).setOnes();
    for (Eigen::Index p = 1; p < c; ++p) x.col(p) = x.col(p - 1).cwiseProduct(in.x);
    const Eigen::MatrixXd n = x.transpose() * x;
    const Eigen::VectorXd b = x.transpose() * in.y;
    const Eigen::VectorXd w = n.ldlt().solve(b);
    return w[0];
}

const bench::Entry kEntries[] = {
    {"BM_VecmatFit", "Fit", VecmatFit},
    {"BM_VecmatRidge", "Ridge", VecmatRidge},
    {"BM_VecmatLasso", "Lasso", VecmatLasso},
    {"BM_VecmatElasticNet", "ElasticNet", VecmatElasticNet},
    {"BM_LiteralGrouping", "((X^T X)^-1 X^T) y with Matrix", LiteralGrouping, 1, 1},
    {"BM_EigenNormalEquations", "Eigen reference (pow)", EigenNormalEquations},
    {"BM_EigenByProducts", "Eigen, powers by products", EigenByProducts},
};

}  // namespace

int main(int argc, char** argv) {
    Inputs();
    InputsForEigen();
    return bench::RunWithRatioTable(argc, argv, kEntries, "BM_EigenNormalEquations",
                                    std::to_string(kPoints) + " points, degree " + std::to_string(kDegree) +
                                        ". Time per fit (best of the run), ratio to the Eigen reference "
                                        "of this run, peak memory of one call:",
                                    "fit");
}
