// Logistic training on 20,000 rows of 10 features whose classes overlap, so the descent runs
// all of its 1000 damped Newton steps: LogicClassifier::Train against the same steps written
// with Eigen (the reference), the same steps with Eigen reusing e^z from the loss pass, and
// the plain loops over one pct::Vector per sample.
//
// Before timing, the program checks that Train gives the plain loops' theta to the last bit
// and Eigen's to 1e-9 (relative, or absolute below 1). It closes with each time as a ratio
// to the Eigen reference.

#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "bench/BenchReport.h"
#include "tests/classify/PlainClassifierLoops.h"
#include "vecmat/classify/LogicClassifier.h"

namespace {

constexpr size_t kRows = 20000;
constexpr size_t kFeatures = 10;
constexpr size_t kSteps = 1000;
constexpr double kStepSize = 0.1;
constexpr double kTolerance = 1e-10;

// Features normal around 0; the tag drawn with probability sigma(0.3 x1 - 0.2 x2 + ... ).
const pct::LCDataTable& Table() {
    static const pct::LCDataTable table = [] {
        std::mt19937_64 gen(2024);
        std::normal_distribution<double> normal(0.0, 1.0);
        std::uniform_real_distribution<double> uniform(0.0, 1.0);
        pct::LCDataTable t;
        for (size_t j = 0; j < kFeatures; ++j) t.featureNames.push_back("x" + std::to_string(j));
        for (size_t i = 0; i < kRows; ++i) {
            pct::LCDataRow row;
            double z = 0.1;
            for (size_t j = 0; j < kFeatures; ++j) {
                row.values.push_back(normal(gen));
                z += (j % 2 == 0 ? 0.3 : -0.2) * row.values.back();
            }
            row.tag = uniform(gen) < 1.0 / (1.0 + std::exp(-z)) ? 1 : 0;
            t.rows.push_back(row);
        }
        return t;
    }();
    return table;
}

// The same steps with Eigen: loss sum of ln(e^z + 1) - y z, direction H^-1 g.
struct EigenLogistic {
    Eigen::MatrixXd x;  // one row per sample, a trailing 1
    Eigen::ArrayXd y;

    EigenLogistic() : x(kRows, kFeatures + 1), y(kRows) {
        const pct::LCDataTable& table = Table();
        for (size_t i = 0; i < kRows; ++i) {
            const auto r = static_cast<Eigen::Index>(i);
            for (size_t j = 0; j < kFeatures; ++j) x(r, static_cast<Eigen::Index>(j)) = table.rows[i].values[j];
            x(r, kFeatures) = 1.0;
            y[r] = table.rows[i].tag;
        }
    }

    double Loss(const Eigen::ArrayXd& z, const Eigen::ArrayXd& ez) const {
        return ((ez + 1.0).log() - y * z).sum();
    }

    Eigen::VectorXd Direction(const Eigen::ArrayXd& ez) const {
        const Eigen::ArrayXd sigma = ez / (ez + 1.0);
        const Eigen::VectorXd g = x.transpose() * (sigma - y).matrix();
        const Eigen::MatrixXd h = x.transpose() * (sigma * (1.0 - sigma)).matrix().asDiagonal() * x;
        return h.inverse() * g;
    }

    // Each step computes e^z in the loss and again in the direction, as the steps say;
    // with `reuse` the direction takes e^z from the loss pass at the same theta.
    Eigen::VectorXd Train(bool reuse) const {
        Eigen::VectorXd theta = Eigen::VectorXd::Zero(kFeatures + 1);
        Eigen::ArrayXd z = (x * theta).array();
        Eigen::ArrayXd ez = z.exp();
        double loss = Loss(z, ez);
        for (size_t k = 0; k < kSteps && loss > kTolerance; ++k) {
            if (!reuse) ez = (x * theta).array().exp();
            theta -= Direction(ez) * kStepSize;
            z = (x * theta).array();
            ez = z.exp();
            loss = Loss(z, ez);
        }
        return theta;
    }
};

const EigenLogistic& Eigens() {
    static const EigenLogistic eigen;
    return eigen;
}

// Train writes each row's result, so it works on a copy made once.
double VecmatTrain() {
    static pct::LCDataTable table = Table();
    pct::Ko::LogicClassifier classifier;
    classifier.Train(table);
    return classifier.GetTheta()[0];
}

double PlainTrain() { return plain::LogisticTheta(Table())[0]; }
double EigenTrain() { return Eigens().Train(false)[0]; }
double EigenTrainReusingExp() { return Eigens().Train(true)[0]; }

const bench::Entry kEntries[] = {
    {"BM_VecmatTrain", "LogicClassifier::Train", VecmatTrain, 3, 1},
    {"BM_EigenSameSteps", "Eigen, same steps", EigenTrain, 3, 1},
    {"BM_EigenReusingExp", "Eigen, e^z reused", EigenTrainReusingExp, 3, 1},
    // The plain loops take several times as long; one run shows the gain.
    {"BM_PlainLoops", "plain loops, Vector per row", PlainTrain, 1, 1},
};

// Train's theta against the plain loops (bits) and Eigen (to 1e-9).
bool ThetaAgrees() {
    pct::LCDataTable table = Table();
    pct::Ko::LogicClassifier classifier;
    classifier.Train(table);
    const pct::Vector& theta = classifier.GetTheta();
    const pct::Vector plainTheta = plain::LogisticTheta(Table());
    const Eigen::VectorXd eigenTheta = Eigens().Train(false);
    for (size_t j = 0; j <= kFeatures; ++j) {
        const double a = theta[j], b = plainTheta[j];
        const double e = eigenTheta[static_cast<Eigen::Index>(j)];
        if (std::memcmp(&a, &b, sizeof a) != 0 || !(std::fabs(a - e) <= 1e-9 * (1.0 + std::fabs(e)))) {
            std::printf("theta[%zu]: Train %.17g, plain loops %.17g, Eigen %.17g\n", j, a, b, e);
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (!ThetaAgrees()) return 1;
    return bench::RunWithRatioTable(argc, argv, kEntries, "BM_EigenSameSteps",
                                    std::to_string(kRows) + " rows x " + std::to_string(kFeatures) +
                                        " features, " + std::to_string(kSteps) +
                                        " steps. Time per training (best of the run), ratio to "
                                        "Eigen doing the same steps, peak memory of one call:",
                                    "training");
}
