// The SMO-trained support vector machine: its model against scikit-learn's SVC, the
// packed built-in kernels against their Calculate, the kernel-row cache, failures in
// order, and copies.

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/classify/SMOClassifier.h"

using pct::LCDataRow;
using pct::LCDataTable;
using pct::Vector;
using namespace pct::Ko;

namespace {

LCDataTable Table(std::vector<std::pair<std::vector<double>, int>> rows) {
    LCDataTable table;
    table.featureNames = {"a", "b"};
    for (auto& [values, tag] : rows) table.rows.push_back({values, tag, 99});
    return table;
}

// Two overlapping clouds (tag 1 shifted by (0.8, 0.4), tag -1 by the opposite).
LCDataTable Cloud() {
    return Table(
        {{{0.8, 0.7}, 1},     {{-1.07, -1.29}, -1}, {{0.35, -0.59}, 1}, {{-0.74, 0.94}, -1},
         {{0.31, -0.22}, 1},  {{-0.31, -0.04}, -1}, {{0.91, -0.53}, 1}, {{-0.83, 0.3}, -1},
         {{-0.54, -0.06}, 1}, {{-2.7, -1.69}, -1},  {{-1.04, 0.16}, 1}, {{-2.07, -0.13}, -1},
         {{0.96, 0.21}, 1},   {{-3.32, -0.94}, -1}, {{0.75, 0.51}, 1},  {{-2.33, -0.88}, -1},
         {{-0.18, -0.41}, 1}, {{0.26, -1.21}, -1},  {{0.77, 1.28}, 1},  {{-1.38, -0.51}, -1},
         {{0.91, 0.46}, 1},   {{-2.03, -0.32}, -1}, {{2.16, -1.15}, 1}, {{0.06, -0.28}, -1},
         {{0.16, 2.4}, 1},    {{-0.04, -1.6}, -1},  {{0.87, 0.98}, 1},  {{-0.99, 0.28}, -1},
         {{0.73, 1.07}, 1},   {{0.64, -1.08}, -1}});
}

// Tag 1 inside radius 1.2, tag -1 between radii 0.9 and 2.2.
LCDataTable Ring() {
    return Table(
        {{{-0.53, -0.55}, 1}, {{0.4, -1.45}, -1},   {{-0.18, -0.01}, 1}, {{-0.2, -1.3}, -1},
         {{0.04, 0.28}, 1},   {{0.3, 0.88}, -1},    {{-0.08, 0.09}, 1},  {{0.4, 0.85}, -1},
         {{-0.15, 0.21}, 1},  {{2.04, -0.69}, -1},  {{-0.32, -0.16}, 1}, {{-0.78, 1.23}, -1},
         {{-0.11, 0.79}, 1},  {{1.94, -0.6}, -1},   {{-0.95, 0.35}, 1},  {{1.65, -0.2}, -1},
         {{-1.08, -0.11}, 1}, {{-1.35, -0.18}, -1}, {{0.14, -0.11}, 1},  {{-0.09, -1.89}, -1},
         {{-0.97, -0.54}, 1}, {{-0.98, 0.49}, -1},  {{0.16, -0.15}, 1},  {{-0.77, 0.48}, -1},
         {{0.68, -0.36}, 1},  {{1.77, 0.82}, -1},   {{-0.41, 0.19}, 1},  {{-1.43, -0.18}, -1},
         {{0.27, -0.09}, 1},  {{-0.01, 0.92}, -1}});
}

const std::vector<std::vector<double>> kProbes = {
    {1.53, 0.88},  {1.09, 0.65}, {2.36, -0.84}, {-0.51, -1.49}, {-2.25, -1.44}, {2.08, 1.7},
    {-1.94, 0.52}, {-0.1, 0.47}, {0.8, -0.97},  {2.31, -0.17},  {0.64, 0.68},   {-1.58, -2.19}};

std::vector<int> Judge(SMOClassifier& machine) {
    std::vector<int> judged;
    for (const auto& probe : kProbes) judged.push_back(machine.Classify(probe));
    return judged;
}

// A model from scikit-learn 1.2.1's SVC (shrinking off), trained on a fixed problem.
struct Reference {
    const char* name;
    std::function<ISVMKernelFunction*()> kernel;
    LCDataTable data;
    double C;
    std::vector<size_t> supportIndices;  // SVC.support_, ascending
    std::vector<double> coefficients;    // SVC.dual_coef_ in that order
    double bias;                         // SVC.intercept_
    std::vector<int> predictions;        // SVC.predict on kProbes
};

// Kernel parameters as in the class comment: poly gamma 1, coef0 0; rbf gamma 1/(2 s^2).
// The models were solved to tol 1e-12.
const std::vector<Reference>& References() {
    static const std::vector<Reference> references = {
        {"linear",
         [] { return new SVMLinearKernel(); },
         Cloud(),
         1.0,
         {2, 3, 4, 5, 6, 7, 8, 10, 14, 16, 17, 23, 25, 27, 29},
         {1.0, -1.0, 1.0, -1.0, 1.0, -1.0, 1.0, 1.0, 0.4116269722133472, 1.0, -1.0, -1.0,
          -0.3881836522856071, -0.023443319927740024, -1.0},
         -0.08576667320485319,
         {1, 1, 1, -1, -1, 1, -1, 1, 1, 1, 1, -1}},
        {"poly2",
         [] { return new SVMPolynomialKernel(2); },
         Ring(),
         1.0,
         {0, 5, 7, 12, 14, 16, 17, 20, 21, 23, 24, 26, 27, 29},
         {1.0, -1.0, -1.0, 1.0, 1.0, 1.0, -1.0, 1.0, -1.0, -1.0, 1.0, 0.6552886492690818,
          -0.6552886492690818, -1.0},
         1.242154271774149,
         {-1, -1, -1, -1, -1, -1, -1, 1, -1, -1, 1, -1}},
        {"rbf",
         [] { return new SVMGaussKernel(1.0); },
         Cloud(),
         1.0,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 16, 17, 18, 19, 22, 23, 24, 25, 27, 28, 29},
         {-0.24603082977279345,
          1.0,
          -1.0,
          1.0,
          -1.0,
          1.0,
          -1.0,
          1.0,
          -0.3917768675653271,
          1.0,
          -0.11652002047740356,
          -0.5584893129574857,
          1.0,
          -1.0,
          0.28545763763325105,
          -0.4070049131603354,
          0.9686789694915651,
          -1.0,
          1.0,
          -0.4280814403689461,
          -0.5040433045044781,
          0.3978100816819534,
          -1.0},
         -0.09129598077801601,
         {1, 1, 1, -1, -1, 1, -1, 1, 1, 1, 1, -1}},
        {"rbfC10",
         [] { return new SVMGaussKernel(1.0); },
         Ring(),
         10.0,
         {3, 7, 12, 14, 15, 16, 17, 20, 21, 23, 24, 27, 29},
         {-4.359518360414124, -3.4621243634821934, 10.0, 10.0, -0.6938307697737438, 10.0, -10.0,
          7.242426475961667, -4.78449201544088, -10.0, 3.6062269484963876, -3.0035303819810926,
          -4.5451575333660275},
         -1.9496813205359573,
         {-1, -1, -1, -1, -1, -1, -1, 1, -1, -1, -1, -1}}};
    return references;
}

int destroyedKernels = 0;

class CountingKernel : public SVMGaussKernel {
public:
    CountingKernel() : SVMGaussKernel(1.0) {}
    ~CountingKernel() override { ++destroyedKernels; }
    double Calculate(const Vector& a, const Vector& b) override {
        ++evaluations;
        return SVMGaussKernel::Calculate(a, b);
    }
    int evaluations = 0;
};

// Derived types are evaluated through Calculate, not on the packed samples.
template <class Kernel>
class Forwarding : public Kernel {
public:
    using Kernel::Kernel;
};

// Trains both machines on the table and expects the same model to the bit.
void ExpectSameModel(SMOClassifier& a, SMOClassifier& b, const LCDataTable& table) {
    LCDataTable tableA = table;
    LCDataTable tableB = table;
    a.Train(tableA);
    b.Train(tableB);
    EXPECT_EQ(a.SupportIndices(), b.SupportIndices());
    EXPECT_EQ(a.DualCoefficients(), b.DualCoefficients());
    EXPECT_EQ(a.Bias(), b.Bias());
}

}  // namespace

TEST(SMOClassifierReference, MatchesScikitLearn) {
    for (const Reference& reference : References()) {
        SCOPED_TRACE(reference.name);
        // Solved tightly, the model agrees to 1e-5 relative (SVC caches kernel values in
        // single precision, which moves its solution by about 1e-6).
        SMOClassifier tight(reference.kernel(), reference.C, 1e-9);
        LCDataTable table = reference.data;
        tight.Train(table);
        EXPECT_EQ(tight.SupportIndices(), reference.supportIndices);
        ASSERT_EQ(tight.DualCoefficients().size(), reference.coefficients.size());
        for (size_t i = 0; i < reference.coefficients.size(); ++i) {
            EXPECT_NEAR(tight.DualCoefficients()[i], reference.coefficients[i],
                        1e-5 * std::fabs(reference.coefficients[i]));
        }
        EXPECT_NEAR(tight.Bias(), reference.bias, 1e-5 * std::fabs(reference.bias));
        EXPECT_EQ(Judge(tight), reference.predictions);

        // At the default tolerance the support vectors and the judgements are the same.
        SMOClassifier loose(reference.kernel(), reference.C);
        LCDataTable again = reference.data;
        loose.Train(again);
        EXPECT_EQ(loose.SupportIndices(), reference.supportIndices);
        EXPECT_EQ(Judge(loose), reference.predictions);
    }
}

TEST(SMOClassifierTrain, ReportAndResultsFollowTheDecisionFunction) {
    SMOClassifier machine(new SVMGaussKernel(1.0));
    LCDataTable table = Cloud();
    const SVMTrainingReport report = machine.Train(table);

    // f(x) recomputed by a plain loop over the model.
    SVMGaussKernel kernel(1.0);
    const LCDataTable original = Cloud();
    int judgedP = 0, wrongP = 0, wrongN = 0;
    for (size_t r = 0; r < table.rows.size(); ++r) {
        double f = 0.0;
        for (size_t i = 0; i < machine.SupportIndices().size(); ++i) {
            const Vector sv(original.rows[machine.SupportIndices()[i]].values);
            f += machine.DualCoefficients()[i] * kernel.Calculate(sv, Vector(table.rows[r].values));
        }
        const int judged = f + machine.Bias() > 0.0 ? 1 : -1;
        EXPECT_EQ(table.rows[r].result, judged);
        judgedP += judged == 1;
        wrongP += judged == 1 && table.rows[r].tag != 1;
        wrongN += judged == -1 && table.rows[r].tag != -1;
    }
    EXPECT_TRUE(report.trained);
    EXPECT_EQ(report.rowCount, 30);
    EXPECT_EQ(report.tagP, 1);
    EXPECT_EQ(report.tagN, -1);
    EXPECT_EQ(report.judgedP, judgedP);
    EXPECT_EQ(report.judgedN, 30 - judgedP);
    EXPECT_EQ(report.wrongP, wrongP);
    EXPECT_EQ(report.wrongN, wrongN);
    EXPECT_EQ(wrongP + wrongN, 5);  // SVC's training accuracy 25 / 30
}

TEST(SMOClassifierTrain, PackedKernelsGiveTheirCalculateToTheBit) {
    const std::vector<
        std::pair<std::function<ISVMKernelFunction*()>, std::function<ISVMKernelFunction*()>>>
        pairs = {
            {[] { return new SVMLinearKernel(); },
             [] { return new Forwarding<SVMLinearKernel>(); }},
            {[] { return new SVMPolynomialKernel(3); },
             [] { return new Forwarding<SVMPolynomialKernel>(3); }},
            {[] { return new SVMGaussKernel(0.7); },
             [] { return new Forwarding<SVMGaussKernel>(0.7); }},
            {[] { return new SVMLaplaceKernel(1.5); },
             [] { return new Forwarding<SVMLaplaceKernel>(1.5); }},
            {[] { return new SVMSigmoidKernel(0.5, -0.2); },
             [] { return new Forwarding<SVMSigmoidKernel>(0.5, -0.2); }},
        };
    for (const auto& [packed, forwarded] : pairs) {
        SMOClassifier a(packed(), 2.0);
        SMOClassifier b(forwarded(), 2.0);
        ExpectSameModel(a, b, Ring());
    }
}

TEST(SMOClassifierTrain, CacheSizeChangesOnlyTheWork) {
    CountingKernel* roomy = new CountingKernel();
    CountingKernel* tight = new CountingKernel();
    SMOClassifier a(roomy, 10.0, 1e-6);
    SMOClassifier b(tight, 10.0, 1e-6);
    b.SetCacheSize(0);  // two rows
    ExpectSameModel(a, b, Ring());

    // With room for every row, training evaluates the diagonal and each row at most once;
    // judging the 30 rows then takes one evaluation per support vector and row.
    const int judging = 30 * static_cast<int>(a.SupportIndices().size());
    EXPECT_LE(roomy->evaluations - judging, 30 + 30 * 30);
    EXPECT_GT(tight->evaluations - judging, 30 + 30 * 30);
}

TEST(SMOClassifierTrain, FailuresInOrderLeaveTheMachineUnchanged) {
    destroyedKernels = 0;
    EXPECT_THROW_MSG(SMOClassifier(new CountingKernel(), 0.0), "惩罚参数C必须是有限正数");
    EXPECT_THROW_MSG(SMOClassifier(new CountingKernel(), std::nan(""), 0.0),
                     "惩罚参数C必须是有限正数");
    EXPECT_THROW_MSG(SMOClassifier(new CountingKernel(), INFINITY), "惩罚参数C必须是有限正数");
    EXPECT_THROW_MSG(SMOClassifier(new CountingKernel(), 1.0, -1e-3), "收敛容差必须是有限正数");
    EXPECT_THROW_MSG(SMOClassifier(nullptr, 1.0, std::nan("")), "收敛容差必须是有限正数");
    EXPECT_EQ(destroyedKernels, 4);  // a refused kernel is released, not leaked

    SMOClassifier machine(new SVMGaussKernel(1.0));
    LCDataTable training = Cloud();
    machine.Train(training);
    const std::vector<int> before = Judge(machine);
    const std::vector<double> coefficients = machine.DualCoefficients();

    LCDataTable widthAndTag = Table({{{0, 0}, 0}, {{1}, 1}});
    EXPECT_THROW_MSG(machine.Train(widthAndTag), "数据表中数据错误");
    LCDataTable zeroTag = Table({{{0, 0}, 1}, {{1, 1}, 0}});
    EXPECT_THROW_MSG(machine.Train(zeroTag), "训练样本标签必须是1或-1");
    LCDataTable oneClass = Table({{{0, 0}, 1}, {{1, 1}, 1}});
    EXPECT_THROW_MSG(machine.Train(oneClass), "训练样本必须同时包含标签1和-1");
    LCDataTable empty = Table({});
    EXPECT_THROW_MSG(machine.Train(empty), "训练样本必须同时包含标签1和-1");
    LCDataTable withNan = Table({{{0, 0}, 1}, {{1, std::nan("")}, -1}});
    EXPECT_THROW_MSG(machine.Train(withNan), "核函数值不是有限数");
    SMOClassifier overflowing(new SVMPolynomialKernel(400));
    LCDataTable large = Table({{{10, 0}, 1}, {{0, 10}, -1}});
    EXPECT_THROW_MSG(overflowing.Train(large), "核函数值不是有限数");

    EXPECT_EQ(Judge(machine), before);
    EXPECT_EQ(machine.DualCoefficients(), coefficients);
    LCDataTable otherNames = Cloud();
    otherNames.featureNames = {"x", "y"};
    EXPECT_THROW_MSG(machine.Test(otherNames), "测试数据表中的数据与训练集数据不一致");
}

TEST(SMOClassifierTrain, AnUnreachableToleranceEndsInAFailureNotAHang) {
    // Rounding keeps the violation above 1e-300 for ever; the solver stops after 10^7 steps.
    SMOClassifier machine(new SVMGaussKernel(0.3), 100.0, 1e-300);
    LCDataTable table =
        Table({{{-0.2, 1.1}, -1}, {{0.9, -0.4}, 1}, {{0.3, 0.8}, -1}, {{-1.2, -0.5}, 1}});
    EXPECT_THROW_MSG(machine.Train(table), "SMO训练迭代次数超限，结果未收敛");
    EXPECT_TRUE(machine.SupportIndices().empty());
}

TEST(SMOClassifierTest, MatchesColumnsByNameAndChecksInOrder) {
    SMOClassifier machine(new SVMGaussKernel(1.0));
    LCDataTable training = Cloud();
    machine.Train(training);

    LCDataTable swapped = Cloud();
    swapped.featureNames = {"b", "a"};
    for (LCDataRow& row : swapped.rows) std::swap(row.values[0], row.values[1]);
    const SVMTestReport report = machine.Test(swapped);
    for (size_t i = 0; i < swapped.rows.size(); ++i) {
        EXPECT_EQ(swapped.rows[i].result, training.rows[i].result);
    }
    EXPECT_EQ(report.rowCount, 30);
    EXPECT_EQ(report.wrongP + report.wrongN, 5);

    // Classify takes the columns as they come.
    machine.Classify(swapped);
    for (const LCDataRow& row : swapped.rows) EXPECT_EQ(row.result, machine.Classify(row.values));

    // Width before header before tags; Classify checks the width only.
    LCDataTable all = Table({{{0, 0}, 0}, {{1}, 1}});
    all.featureNames = {"a", "c"};
    EXPECT_THROW_MSG(machine.Test(all), "数据表中数据错误");
    EXPECT_THROW_MSG(machine.Classify(all), "数据表中数据错误");
    LCDataTable headerAndTag = Table({{{0, 0}, 0}});
    headerAndTag.featureNames = {"a", "c"};
    EXPECT_THROW_MSG(machine.Test(headerAndTag), "测试数据表中的数据与训练集数据不一致");
    LCDataTable zeroTag = Table({{{0, 0}, 1}, {{0, 0}, 0}});
    EXPECT_THROW_MSG(machine.Test(zeroTag), "测试样本标签必须是1或-1");
    EXPECT_EQ(machine.Classify(zeroTag).rowCount, 2);
}

TEST(SMOClassifierCopy, CopiesKeepTheirModelAndReleaseTheKernelOnce) {
    destroyedKernels = 0;
    {
        SMOClassifier untrained(new CountingKernel());
        EXPECT_EQ(Judge(untrained), std::vector<int>(kProbes.size(), -1));

        SMOClassifier* original = new SMOClassifier(new CountingKernel());
        LCDataTable training = Cloud();
        original->Train(training);
        const std::vector<int> expected = Judge(*original);
        SMOClassifier copy(*original);
        untrained = *original;
        untrained = untrained;
        LCDataTable ring = Ring();
        original->Train(ring);  // the copies keep the first model
        delete original;
        EXPECT_EQ(destroyedKernels, 1);  // the kernel the assignment replaced
        EXPECT_EQ(Judge(copy), expected);
        EXPECT_EQ(Judge(untrained), expected);
    }
    EXPECT_EQ(destroyedKernels, 2);

    // A null kernel is the linear one.
    SMOClassifier fromNull;
    SMOClassifier linear(new SVMLinearKernel());
    ExpectSameModel(fromNull, linear, Cloud());
}
