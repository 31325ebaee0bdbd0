// Training a C-SVC by SMO on 2000 samples of 20 features with a Gaussian kernel: the
// library's SMOClassifier against libsvm (Debian's libsvm-dev, used here only) with the
// same C (1), tolerance (1e-3), kernel (gamma = 1 / (2 sigma^2)) and cache (100 MB), with
// and without libsvm's shrinking heuristics.
//
// Before timing, the program checks that both found a model of the same size and judge
// the training samples alike. Each benchmark runs three times; the program then prints the
// best time of each with its ratio to libsvm with shrinking and the peak memory of one call.

#include <benchmark/benchmark.h>
#include <libsvm/svm.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "bench/BenchTables.h"
#include "vecmat/Vecmat.h"

namespace {

constexpr std::size_t kSamples = 2000;
constexpr std::size_t kFeatures = 20;
const double kSigma = std::sqrt(static_cast<double>(kFeatures));

// Two overlapping classes; the first three features carry the label.
const pct::LCDataTable& Table() {
    static const pct::LCDataTable table =
        bench::TwoClassTable(kSamples, kFeatures, 99, [](const std::vector<double>& x, double noise) {
            return x[0] + x[1] * x[2] > 0.5 * noise ? 1 : -1;
        });
    return table;
}

// The table in libsvm's layout: each sample's nodes, indices from 1, ended by index -1.
struct LibsvmProblem {
    std::vector<std::vector<svm_node>> nodes;
    std::vector<svm_node*> rows;
    std::vector<double> labels;
    svm_problem problem{};
    LibsvmProblem() {
        for (const pct::LCDataRow& row : Table().rows) {
            std::vector<svm_node> sample;
            for (std::size_t f = 0; f < row.values.size(); ++f)
                sample.push_back({static_cast<int>(f + 1), row.values[f]});
            sample.push_back({-1, 0.0});
            nodes.push_back(std::move(sample));
            labels.push_back(row.tag);
        }
        for (auto& sample : nodes) rows.push_back(sample.data());
        problem.l = static_cast<int>(rows.size());
        problem.y = labels.data();
        problem.x = rows.data();
    }
};

const LibsvmProblem& Problem() {
    static const LibsvmProblem problem;
    return problem;
}

svm_parameter Parameters(int shrinking) {
    svm_parameter p{};
    p.svm_type = C_SVC;
    p.kernel_type = RBF;
    p.gamma = 1.0 / (2.0 * kSigma * kSigma);
    p.cache_size = 100;
    p.eps = 1e-3;
    p.C = 1.0;
    p.shrinking = shrinking;
    return p;
}

void Quiet(const char*) {}

svm_model* TrainLibsvm(int shrinking) {
    svm_set_print_string_function(Quiet);
    const svm_parameter parameters = Parameters(shrinking);
    return svm_train(&Problem().problem, &parameters);
}

double LibsvmRun(int shrinking) {
    svm_model* model = TrainLibsvm(shrinking);
    const double count = svm_get_nr_sv(model);
    svm_free_and_destroy_model(&model);
    return count;
}

double Libsvm() { return LibsvmRun(1); }
double LibsvmNoShrinking() { return LibsvmRun(0); }

double Library() {
    pct::LCDataTable table = Table();
    pct::Ko::SMOClassifier machine(new pct::Ko::SVMGaussKernel(kSigma));
    machine.Train(table);
    return static_cast<double>(machine.SupportIndices().size());
}

// Untimed: the two models' sizes and how alike they judge the training samples.
void Compare() {
    pct::LCDataTable table = Table();
    pct::Ko::SMOClassifier machine(new pct::Ko::SVMGaussKernel(kSigma));
    machine.Train(table);
    svm_model* model = TrainLibsvm(1);
    std::size_t same = 0;
    for (std::size_t i = 0; i < kSamples; ++i)
        same += svm_predict(model, Problem().rows[i]) == table.rows[i].result;
    std::printf("Support vectors: SMOClassifier %zu, libsvm %d; same judgement on %zu of %zu training samples\n",
                machine.SupportIndices().size(), svm_get_nr_sv(model), same, kSamples);
    svm_free_and_destroy_model(&model);
}

const bench::Entry kEntries[] = {
    {"BM_SMOClassifier", "SMOClassifier::Train", Library},
    {"BM_Libsvm", "libsvm", Libsvm},
    {"BM_LibsvmNoShrinking", "libsvm without shrinking", LibsvmNoShrinking},
};

}  // namespace

int main(int argc, char** argv) {
    Compare();
    return bench::RunWithRatioTable(argc, argv, kEntries, "BM_Libsvm",
                                    std::to_string(kSamples) + " samples x " + std::to_string(kFeatures) +
                                        " features, Gaussian kernel, C = 1. Training time (best of the "
                                        "run), ratio to libsvm of this run, peak memory of one call:",
                                    "training");
}
