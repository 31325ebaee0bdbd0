// Fisher discriminant on 100,000 rows of 20 features in two classes of 50,000:
// LinearClassifierTrainer::LDA against the same computation written with Eigen (class means,
// summed scatter of the centred rows, S^-1 (mP - mN), projections and threshold: the
// reference), against the plain loops over the class matrices, and LinearClassifier::Train
// (table to report) against Eigen doing the same from the table.
//
// Before timing, the program checks that LDA gives the plain loops' weights and threshold to
// the last bit and Eigen's to 1e-9. It closes with each time as a ratio to Eigen's LDA.

#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "tests/classify/PlainClassifierLoops.h"
#include "vecmat/classify/LinearClassifier.h"
#include "vecmat/classify/LinearClassifierTrainer.h"

namespace {

constexpr size_t kRows = 100000;
constexpr size_t kFeatures = 20;

using RowMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

// Rows alternate between tag 1 and tag 2; tag 2's features are shifted by 0.4 and the
// features are mixed so that the scatter is not diagonal.
const pct::LCDataTable& Table() {
    static const pct::LCDataTable table = [] {
        std::mt19937_64 gen(77);
        std::normal_distribution<double> normal(0.0, 1.0);
        pct::LCDataTable t;
        for (size_t j = 0; j < kFeatures; ++j) t.featureNames.push_back("f" + std::to_string(j));
        for (size_t i = 0; i < kRows; ++i) {
            pct::LCDataRow row;
            row.tag = i % 2 == 0 ? 1 : 2;
            double previous = 0.0;
            for (size_t j = 0; j < kFeatures; ++j) {
                const double v = normal(gen) + 0.5 * previous + (row.tag == 2 ? 0.4 : 0.0);
                row.values.push_back(v);
                previous = v;
            }
            t.rows.push_back(row);
        }
        return t;
    }();
    return table;
}

// The rows of one tag as a matrix, row by row.
pct::Matrix ClassMatrix(int tag) {
    std::vector<double> values;
    for (const pct::LCDataRow& row : Table().rows)
        if (row.tag == tag) values.insert(values.end(), row.values.begin(), row.values.end());
    return pct::Matrix(values.size() / kFeatures, kFeatures, values.data());
}

const std::map<int, pct::Matrix>& Classes() {
    static const std::map<int, pct::Matrix> classes{{1, ClassMatrix(1)}, {2, ClassMatrix(2)}};
    return classes;
}

const pct::Ko::LinearClassifierTrainer& Trainer() {
    static const pct::Ko::LinearClassifierTrainer trainer = [] {
        pct::Ko::LinearClassifierTrainer t;
        for (const auto& [tag, m] : Classes()) t.SetMatrix(tag, m);
        return t;
    }();
    return trainer;
}

struct EigenResult {
    Eigen::VectorXd w;
    double threshold;
};

// The discriminant of two classes with Eigen.
EigenResult EigenLda(const RowMatrix& p, const RowMatrix& n) {
    const Eigen::RowVectorXd meanP = p.colwise().mean();
    const Eigen::RowVectorXd meanN = n.colwise().mean();
    const RowMatrix centredP = p.rowwise() - meanP;
    const RowMatrix centredN = n.rowwise() - meanN;
    const Eigen::MatrixXd s = centredP.transpose() * centredP + centredN.transpose() * centredN;
    const Eigen::VectorXd w = s.inverse() * (meanP - meanN).transpose();
    const Eigen::VectorXd a = p * w;
    const Eigen::VectorXd b = n * w;
    const double threshold = meanP.dot(w) > meanN.dot(w) ? 0.5 * (a.minCoeff() + b.maxCoeff())
                                                          : 0.5 * (a.maxCoeff() + b.minCoeff());
    return {w, threshold};
}

RowMatrix EigenClass(int tag) {
    const pct::Matrix m = Classes().at(tag);
    RowMatrix e(m.GetRowCount(), m.GetColumnCount());
    for (Eigen::Index r = 0; r < e.rows(); ++r)
        for (Eigen::Index c = 0; c < e.cols(); ++c)
            e(r, c) = m.GetPointValue(static_cast<size_t>(r), static_cast<size_t>(c));
    return e;
}

const std::pair<RowMatrix, RowMatrix>& EigenClasses() {
    static const std::pair<RowMatrix, RowMatrix> classes{EigenClass(1), EigenClass(2)};
    return classes;
}

// Train from the table with Eigen: split the rows by tag, LDA, then judge and count.
double EigenTrainFromTable() {
    const pct::LCDataTable& table = Table();
    std::vector<const pct::LCDataRow*> byTag[2];
    for (const pct::LCDataRow& row : table.rows) byTag[row.tag == 1 ? 0 : 1].push_back(&row);
    RowMatrix classes[2];
    for (int c = 0; c < 2; ++c) {
        classes[c].resize(static_cast<Eigen::Index>(byTag[c].size()), kFeatures);
        for (size_t r = 0; r < byTag[c].size(); ++r)
            classes[c].row(static_cast<Eigen::Index>(r)) =
                Eigen::Map<const Eigen::RowVectorXd>(byTag[c][r]->values.data(), kFeatures);
    }
    const EigenResult lda = EigenLda(classes[0], classes[1]);
    int errors = 0;
    for (const pct::LCDataRow& row : table.rows) {
        const double f = Eigen::Map<const Eigen::RowVectorXd>(row.values.data(), kFeatures).dot(lda.w);
        errors += (f - lda.threshold > 0.0 ? 1 : 2) != row.tag;
    }
    return lda.threshold + errors;
}

double VecmatLda() { return Trainer().LDA().threshold; }
double PlainLda() { return plain::Lda(Classes()).threshold; }
double EigenLdaOnly() { return EigenLda(EigenClasses().first, EigenClasses().second).threshold; }

// Train writes each row's result, so it works on a copy made once.
double VecmatTrain() {
    static pct::LCDataTable table = Table();
    pct::Ko::LinearClassifier classifier;
    return classifier.Train(table).errorRateRatio;
}

const bench::Entry kEntries[] = {
    {"BM_VecmatLda", "LinearClassifierTrainer::LDA", VecmatLda},
    {"BM_PlainLoops", "plain loops", PlainLda},
    {"BM_EigenLda", "Eigen LDA", EigenLdaOnly},
    {"BM_VecmatTrain", "LinearClassifier::Train", VecmatTrain},
    {"BM_EigenTrain", "Eigen, table to counts", EigenTrainFromTable},
};

bool Same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool Close(double a, double b) { return std::fabs(a - b) <= 1e-9 * (1.0 + std::fabs(b)); }

// LDA against the plain loops (bits) and Eigen (to 1e-9).
bool ModelAgrees() {
    const pct::Ko::LCMData data = Trainer().LDA();
    const pct::Ko::LCMData plainData = plain::Lda(Classes());
    const EigenResult eigen = EigenLda(EigenClasses().first, EigenClasses().second);
    bool same = Same(data.threshold, plainData.threshold) && Close(data.threshold, eigen.threshold);
    for (size_t j = 0; j < kFeatures; ++j) {
        same = same && Same(data.weights[j], plainData.weights[j]) &&
               Close(data.weights[j], eigen.w[static_cast<Eigen::Index>(j)]);
    }
    if (!same) std::printf("LDA differs from the plain loops or from Eigen\n");
    return same;
}

}  // namespace

int main(int argc, char** argv) {
    Table();
    Trainer();
    EigenClasses();
    if (!ModelAgrees()) return 1;
    return bench::RunWithRatioTable(argc, argv, kEntries, "BM_EigenLda",
                                    std::to_string(kRows) + " rows x " + std::to_string(kFeatures) +
                                        " features, two classes. Time per call (best of the run), "
                                        "ratio to Eigen's LDA, peak memory of one call:",
                                    "discriminant");
}
