#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/classify/SVMFactory.h"
#include "vecmat/classify/SupportVectorMachine.h"

using pct::LCDataRow;
using pct::LCDataTable;
using pct::Vector;
using namespace pct::Ko;

namespace {

LCDataTable Table(std::vector<std::string> names,
                  std::vector<std::pair<std::vector<double>, int>> rows) {
    LCDataTable table;
    table.featureNames = std::move(names);
    for (auto& [values, tag] : rows) {
        LCDataRow row;
        row.values = values;
        row.tag = tag;
        row.result = 99;
        table.rows.push_back(row);
    }
    return table;
}

std::vector<int> Results(const LCDataTable& table) {
    std::vector<int> results;
    for (const LCDataRow& row : table.rows) results.push_back(row.result);
    return results;
}

// Two clusters on which the Gaussian kernel's discriminant matrix can be inverted.
LCDataTable Clusters() {
    return Table({"a", "b"}, {{{0, 0}, -1}, {{0, 1}, -1}, {{1, 0}, -1},
                              {{3, 3}, 1}, {{3, 4}, 1}, {{4, 3}, 1}});
}

// The same samples with the columns in the other order.
LCDataTable ClustersSwapped() {
    return Table({"b", "a"}, {{{0, 0}, -1}, {{1, 0}, -1}, {{0, 1}, -1},
                              {{3, 3}, 1}, {{4, 3}, 1}, {{3, 4}, 1}});
}

std::vector<std::vector<double>> Probes() {
    return {{0, 0}, {0.5, 0.5}, {1, 1}, {2, 2}, {3, 3}, {3.5, 3.5}, {-1, 2}, {5, 0}, {10, 10}};
}

std::vector<int> Judge(SupportVectorMachine& machine) {
    std::vector<int> judged;
    for (const auto& probe : Probes()) judged.push_back(machine.Classify(probe));
    return judged;
}

// Trains while capturing standard output.
SVMTrainingReport TrainQuietly(SupportVectorMachine& machine, LCDataTable& table,
                               std::string* output = nullptr) {
    testing::internal::CaptureStdout();
    SVMTrainingReport report;
    try {
        report = machine.Train(table);
    } catch (...) {
        std::string ignored = testing::internal::GetCapturedStdout();
        if (output != nullptr) *output = ignored;
        throw;
    }
    std::string captured = testing::internal::GetCapturedStdout();
    if (output != nullptr) *output = captured;
    return report;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A kernel that writes a mark on every evaluation, so its calls can be placed relative to
// the training listing.
class MarkingKernel : public SVMGaussKernel {
public:
    MarkingKernel() : SVMGaussKernel(1.0) {}
    double Calculate(const Vector& a, const Vector& b) override {
        std::cout << "#";
        return SVMGaussKernel::Calculate(a, b);
    }
};

int destroyedKernels = 0;

class CountingKernel : public SVMGaussKernel {
public:
    CountingKernel() : SVMGaussKernel(1.0) {}
    ~CountingKernel() override { ++destroyedKernels; }
};

}  // namespace

TEST(SupportVectorMachineUntrained, JudgesEverySampleMinusOne) {
    SupportVectorMachine machine;
    EXPECT_EQ(machine.Classify(Vector(std::vector<double>{5, 5})), -1);
    EXPECT_EQ(machine.Classify(std::vector<double>{-5}), -1);
    EXPECT_EQ(machine.Classify(std::vector<double>{}), -1);

    LCDataTable table = Table({"a"}, {{{1}, 1}, {{2}, 7}});
    const SVMClassifyReport report = machine.Classify(table);
    EXPECT_EQ(report.rowCount, 2);
    EXPECT_EQ(report.tagP, 1);
    EXPECT_EQ(report.tagN, -1);
    EXPECT_EQ(report.judgedP, 0);
    EXPECT_EQ(report.judgedN, 2);
    EXPECT_EQ(Results(table), (std::vector<int>{-1, -1}));

    // An untrained machine knows no features: only a header-less table passes Test.
    LCDataTable noHeader = Table({}, {{{}, 1}, {{}, -1}});
    const SVMTestReport test = machine.Test(noHeader);
    EXPECT_EQ(test.rowCount, 2);
    EXPECT_EQ(test.judgedN, 2);
    EXPECT_EQ(test.wrongN, 1);
    EXPECT_EQ(test.judgedP, 0);
    EXPECT_EQ(test.wrongP, 0);
    EXPECT_THROW_MSG(machine.Test(table), "测试数据表中的数据与训练集数据不一致");
}

TEST(SupportVectorMachineTrain, PrintsTheListingBeforeStoringSamples) {
    SupportVectorMachine machine(new MarkingKernel());
    LCDataTable table = Clusters();
    std::string output;
    const SVMTrainingReport report = TrainQuietly(machine, table, &output);

    // 36 kernel evaluations build the kernel matrix; the listing follows; the evaluations
    // after it judge the six rows against the stored samples.
    ASSERT_GE(output.size(), 36u);
    EXPECT_EQ(output.substr(0, 36), std::string(36, '#'));
    const size_t listingEnd = output.find(" }\n");
    ASSERT_NE(listingEnd, std::string::npos);
    std::vector<std::string> lines = Lines(output.substr(36, listingEnd + 3 - 36));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], testing_support::Gbk("特征值："));

    double largest = 0.0;
    for (size_t i = 1; i <= 6; ++i) {
        const double value = std::stod(lines[i]);
        if (i == 1 || value > largest) largest = value;
    }
    const std::string heading = testing_support::Gbk("最大特征值：");
    ASSERT_EQ(lines[7].substr(0, heading.size()), heading);
    std::ostringstream expectedLargest;
    expectedLargest << largest;
    EXPECT_EQ(lines[7].substr(heading.size()), expectedLargest.str());

    // The chosen eigenvector: "{ " entries separated by tabs " }".
    ASSERT_EQ(lines[8].substr(0, 2), "{ ");
    std::istringstream entries(lines[8].substr(2, lines[8].size() - 4));
    int kept = 0;
    int count = 0;
    for (std::string entry; std::getline(entries, entry, '\t'); ++count) {
        if (std::stod(entry) > 0.01) ++kept;
    }
    EXPECT_EQ(count, 6);

    // Judging the six rows evaluates the kernel once per stored sample and row.
    const std::string after = output.substr(listingEnd + 3);
    EXPECT_EQ(after, std::string(static_cast<size_t>(6 * kept), '#'));

    EXPECT_TRUE(report.trained);
    EXPECT_EQ(report.rowCount, 6);
    EXPECT_EQ(report.tagP, 1);
    EXPECT_EQ(report.tagN, -1);
}

TEST(SupportVectorMachineTrain, ReportMatchesTheWrittenResults) {
    SupportVectorMachine machine = SVMFactory::CreateGaussianSVM(1.0);
    LCDataTable table = Clusters();
    const SVMTrainingReport report = TrainQuietly(machine, table);

    int judgedP = 0, judgedN = 0, wrongP = 0, wrongN = 0;
    for (const LCDataRow& row : table.rows) {
        ASSERT_TRUE(row.result == 1 || row.result == -1);
        EXPECT_EQ(machine.Classify(row.values), row.result);
        if (row.result == 1) {
            ++judgedP;
            if (row.tag != 1) ++wrongP;
        } else {
            ++judgedN;
            if (row.tag != -1) ++wrongN;
        }
    }
    EXPECT_EQ(report.judgedP, judgedP);
    EXPECT_EQ(report.judgedN, judgedN);
    EXPECT_EQ(report.wrongP, wrongP);
    EXPECT_EQ(report.wrongN, wrongN);
    EXPECT_EQ(report.judgedP + report.judgedN, 6);

    // Classify on the training table writes the same judgements.
    LCDataTable again = Clusters();
    const SVMClassifyReport classified = machine.Classify(again);
    EXPECT_EQ(Results(again), Results(table));
    EXPECT_EQ(classified.judgedP, judgedP);
    EXPECT_EQ(classified.judgedN, judgedN);
}

TEST(SupportVectorMachineTrain, FailuresInOrderLeaveTheMachineUnchanged) {
    SupportVectorMachine machine = SVMFactory::CreateGaussianSVM(1.0);
    LCDataTable training = Clusters();
    TrainQuietly(machine, training);
    const std::vector<int> before = Judge(machine);

    LCDataTable widthAndTag = Table({"a", "b"}, {{{0, 0}, 0}, {{1}, 1}});
    EXPECT_THROW_MSG(machine.Train(widthAndTag), "数据表中数据错误");
    LCDataTable zeroTag = Table({"x"}, {{{0}, 1}, {{1}, 0}});
    EXPECT_THROW_MSG(machine.Train(zeroTag), "训练样本标签必须是1或-1");
    LCDataTable empty = Table({"x"}, {});
    EXPECT_THROW_MSG(machine.Train(empty), "矩阵的行或列不能为0");

    // A NaN value makes the within-class matrix unusable. Nothing is printed.
    LCDataTable withNan = Table({"x"}, {{{0}, -1}, {{std::nan("")}, 1}, {{1}, 1}});
    std::string output = "unset";
    EXPECT_THROW_MSG(TrainQuietly(machine, withNan, &output), "矩阵不可逆");
    EXPECT_EQ(output, "");

    // The failures kept the samples and the feature names of the first training.
    EXPECT_EQ(Judge(machine), before);
    LCDataTable test = Clusters();
    EXPECT_NO_THROW(machine.Test(test));
    LCDataTable otherNames = Table({"x"}, {{{0}, 1}});
    EXPECT_THROW_MSG(machine.Test(otherNames), "测试数据表中的数据与训练集数据不一致");
}

TEST(SupportVectorMachineTrain, TwoSamplesTrainOnTheRegularisedMatrix) {
    // N is exactly zero here, so mu comes from K K^T's mean diagonal (0.5): N + mu I gives
    // the direction d / mu = (0, 1) / 5e-7 and the eigenvalue d^T d / mu = 2e6.
    SupportVectorMachine machine;
    LCDataTable two = Table({"x"}, {{{0}, -1}, {{1}, 1}});
    std::string output;
    const SVMTrainingReport report = TrainQuietly(machine, two, &output);
    EXPECT_EQ(output, testing_support::Gbk("特征值：\n2e+06\n0\n最大特征值：2e+06\n{ 0\t1 }\n"));

    // Only sample 1 is kept, so f(x) = x.
    EXPECT_EQ(Results(two), (std::vector<int>{-1, 1}));
    EXPECT_EQ(report.judgedP, 1);
    EXPECT_EQ(report.wrongP + report.wrongN, 0);
    EXPECT_EQ(machine.Classify(std::vector<double>{0.25}), 1);
    EXPECT_EQ(machine.Classify(std::vector<double>{-0.25}), -1);
}

TEST(SupportVectorMachineTrain, ListingMatchesTheRegularisedDiscriminant) {
    // Reference: numpy, mu = 1e-6 * mean(diag N), a = solve(N + mu I, M+ - M-),
    // eigenvalue (M+ - M-) . a, vector a / |a|.
    const double eigenvalue = 14076449.216959417;
    const std::vector<double> vector = {-0.1889249127039763, -0.4823681468728194,
                                        -0.4823681468728194, 0.19261714246765196,
                                        0.4805455002142644,  0.48054550021426473};
    SupportVectorMachine machine = SVMFactory::CreateGaussianSVM(1.0);
    LCDataTable table = Clusters();
    std::string output;
    TrainQuietly(machine, table, &output);
    const std::vector<std::string> lines = Lines(output);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_NEAR(std::stod(lines[1]), eigenvalue, 1e-5 * eigenvalue);  // six digits printed
    for (size_t i = 2; i <= 6; ++i) EXPECT_EQ(lines[i], "0");
    EXPECT_EQ(lines[7], testing_support::Gbk("最大特征值：") + lines[1]);
    std::istringstream entries(lines[8].substr(2, lines[8].size() - 4));
    for (double expected : vector) {
        std::string entry;
        ASSERT_TRUE(std::getline(entries, entry, '\t'));
        EXPECT_NEAR(std::stod(entry), expected, 1e-5 * std::fabs(expected));
    }

    // Only the positive class has coefficients above 0.01, and the Gaussian kernel is
    // positive everywhere, so the specified decision function judges every probe 1.
    EXPECT_EQ(Judge(machine), std::vector<int>(Probes().size(), 1));
}

TEST(SupportVectorMachineTrain, PredictionsSurvivePerturbationAndReordering) {
    // Two overlapping Gaussian clouds; the linear and the Gaussian machine are trained on
    // the data, on the data perturbed by 1e-12 relative and on its rows reversed and
    // grouped by class. Without the regularisation they agreed on 70 to 96 % of the probes.
    std::mt19937 generator(11);
    std::normal_distribution<double> normal(0.0, 1.0);
    LCDataTable table;
    table.featureNames = {"a", "b"};
    for (int i = 0; i < 120; ++i) {
        const int tag = i % 2 == 0 ? 1 : -1;
        table.rows.push_back({{normal(generator) + tag, normal(generator) + 0.5 * tag}, tag, 0});
    }
    LCDataTable perturbed = table;
    std::uniform_real_distribution<double> jitter(-1e-12, 1e-12);
    for (LCDataRow& row : perturbed.rows) {
        for (double& value : row.values) value *= 1.0 + jitter(generator);
    }
    LCDataTable reordered = table;
    std::reverse(reordered.rows.begin(), reordered.rows.end());
    std::stable_partition(reordered.rows.begin(), reordered.rows.end(),
                          [](const LCDataRow& row) { return row.tag == -1; });

    std::vector<std::vector<double>> probes;
    for (int i = 0; i < 20; ++i) {
        for (int j = 0; j < 20; ++j) probes.push_back({-3.0 + 0.3 * i, -3.0 + 0.3 * j});
    }
    for (double sigma : {0.0, 1.0}) {
        std::vector<std::vector<int>> judged;
        for (LCDataTable* data : {&table, &perturbed, &reordered}) {
            SupportVectorMachine machine = sigma == 0.0 ? SVMFactory::CreateLinearSVM()
                                                        : SVMFactory::CreateGaussianSVM(sigma);
            TrainQuietly(machine, *data);
            judged.emplace_back();
            for (const auto& probe : probes) judged.back().push_back(machine.Classify(probe));
        }
        for (size_t variant = 1; variant < judged.size(); ++variant) {
            size_t same = 0;
            for (size_t i = 0; i < probes.size(); ++i) same += judged[0][i] == judged[variant][i];
            EXPECT_GE(same * 100, probes.size() * 99) << "sigma " << sigma << ", variant " << variant;
        }
    }
}

TEST(SupportVectorMachineTrain, RetrainingStartsFromAnEmptyMachine) {
    LCDataTable first = Table({"p", "q"}, {{{5, 5}, 1}, {{6, 5}, 1}, {{5, 7}, 1},
                                           {{9, 9}, -1}, {{9, 8}, -1}, {{8, 9}, -1}});
    SupportVectorMachine reused = SVMFactory::CreateGaussianSVM(1.0);
    TrainQuietly(reused, first);

    SupportVectorMachine fresh = SVMFactory::CreateGaussianSVM(1.0);
    LCDataTable second = Clusters();
    LCDataTable secondAgain = Clusters();
    const SVMTrainingReport reusedReport = TrainQuietly(reused, second);
    const SVMTrainingReport freshReport = TrainQuietly(fresh, secondAgain);

    EXPECT_EQ(Judge(reused), Judge(fresh));
    EXPECT_EQ(Results(second), Results(secondAgain));
    EXPECT_EQ(reusedReport.judgedP, freshReport.judgedP);
    EXPECT_EQ(reusedReport.wrongN, freshReport.wrongN);

    // Only the second header is known now.
    LCDataTable oldHeader = Table({"p", "q"}, {{{5, 5}, 1}});
    EXPECT_THROW_MSG(reused.Test(oldHeader), "测试数据表中的数据与训练集数据不一致");
    LCDataTable newHeader = Clusters();
    EXPECT_NO_THROW(reused.Test(newHeader));
}

TEST(SupportVectorMachineTest, MatchesColumnsByName) {
    SupportVectorMachine machine = SVMFactory::CreateGaussianSVM(1.0);
    LCDataTable training = Clusters();
    TrainQuietly(machine, training);

    LCDataTable straight = Clusters();
    LCDataTable swapped = ClustersSwapped();
    const SVMTestReport a = machine.Test(straight);
    const SVMTestReport b = machine.Test(swapped);
    EXPECT_EQ(Results(straight), Results(swapped));
    EXPECT_EQ(Results(straight), Results(training));
    EXPECT_EQ(a.judgedP, b.judgedP);
    EXPECT_EQ(a.judgedN, b.judgedN);
    EXPECT_EQ(a.wrongP, b.wrongP);
    EXPECT_EQ(a.wrongN, b.wrongN);
    EXPECT_EQ(a.rowCount, 6);
    EXPECT_EQ(a.tagP, 1);
    EXPECT_EQ(a.tagN, -1);

    // Classify takes the columns as they come: the swapped table is judged as the swapped
    // vectors.
    LCDataTable swappedAgain = ClustersSwapped();
    machine.Classify(swappedAgain);
    for (const LCDataRow& row : swappedAgain.rows) {
        EXPECT_EQ(row.result, machine.Classify(row.values));
    }
}

TEST(SupportVectorMachineTest, FailuresInOrder) {
    SupportVectorMachine machine = SVMFactory::CreateGaussianSVM(1.0);
    LCDataTable training = Clusters();
    TrainQuietly(machine, training);

    // Width before header before tags.
    LCDataTable all = Table({"a", "c"}, {{{0, 0}, 0}, {{1}, 1}});
    EXPECT_THROW_MSG(machine.Test(all), "数据表中数据错误");
    LCDataTable headerAndTag = Table({"a", "c"}, {{{0, 0}, 0}});
    EXPECT_THROW_MSG(machine.Test(headerAndTag), "测试数据表中的数据与训练集数据不一致");
    LCDataTable extraName = Table({"a", "b", "c"}, {{{0, 0, 0}, 1}});
    EXPECT_THROW_MSG(machine.Test(extraName), "测试数据表中的数据与训练集数据不一致");
    LCDataTable zeroTag = Table({"b", "a"}, {{{0, 0}, 1}, {{0, 0}, 0}});
    EXPECT_THROW_MSG(machine.Test(zeroTag), "测试样本标签必须是1或-1");

    // Classify reads no tags and matches no names, but checks widths.
    const SVMClassifyReport report = machine.Classify(zeroTag);
    EXPECT_EQ(report.rowCount, 2);
    EXPECT_THROW_MSG(machine.Classify(all), "数据表中数据错误");

    LCDataTable empty = Table({"a", "b"}, {});
    const SVMTestReport test = machine.Test(empty);
    EXPECT_EQ(test.rowCount, 0);
    EXPECT_EQ(test.judgedP + test.judgedN + test.wrongP + test.wrongN, 0);
}

TEST(SupportVectorMachineCopy, CopiesShareTheKernelAndReleaseItOnce) {
    destroyedKernels = 0;
    std::vector<int> expected;
    {
        SupportVectorMachine* original = new SupportVectorMachine(new CountingKernel());
        LCDataTable training = Clusters();
        TrainQuietly(*original, training);
        expected = Judge(*original);

        SupportVectorMachine copy(*original);
        SupportVectorMachine assigned = SVMFactory::CreateLinearSVM();
        assigned = *original;
        assigned = assigned;
        delete original;
        EXPECT_EQ(destroyedKernels, 0);

        EXPECT_EQ(Judge(copy), expected);
        EXPECT_EQ(Judge(assigned), expected);
    }
    EXPECT_EQ(destroyedKernels, 1);

    {
        SupportVectorMachine custom = SVMFactory::CreateCustomSVM(new CountingKernel());
    }
    EXPECT_EQ(destroyedKernels, 2);
}

TEST(SupportVectorMachineFactory, MachinesUseTheirKernels) {
    // A one-sample machine is not trainable (N is zero), so compare the untrained machines
    // and the trained Gaussian ones made both ways.
    SupportVectorMachine made = SVMFactory::CreateGaussianSVM(1.0);
    SupportVectorMachine direct(new SVMGaussKernel(1.0));
    LCDataTable a = Clusters();
    LCDataTable b = Clusters();
    TrainQuietly(made, a);
    TrainQuietly(direct, b);
    EXPECT_EQ(Judge(made), Judge(direct));

    SupportVectorMachine laplace = SVMFactory::CreateLaplacianSVM(1.0);
    SupportVectorMachine laplaceDirect(new SVMLaplaceKernel(1.0));
    LCDataTable c = Clusters();
    LCDataTable d = Clusters();
    std::string outC, outD;
    try {
        TrainQuietly(laplace, c, &outC);
    } catch (const std::exception&) {
    }
    try {
        TrainQuietly(laplaceDirect, d, &outD);
    } catch (const std::exception&) {
    }
    EXPECT_EQ(outC, outD);
    EXPECT_EQ(Judge(laplace), Judge(laplaceDirect));

    for (SupportVectorMachine m :
         {SVMFactory::CreateLinearSVM(), SVMFactory::CreatePolynomialSVM(2),
          SVMFactory::CreatePolynomialSVM(-1), SVMFactory::CreateSigmoidSVM(1.0, 0.0)}) {
        EXPECT_EQ(m.Classify(std::vector<double>{1, 2}), -1);
    }
}

TEST(SupportVectorMachineFactory, NullKernelFallsBackToLinear) {
    SupportVectorMachine fromNull = SVMFactory::CreateCustomSVM(nullptr);
    SupportVectorMachine linear = SVMFactory::CreateLinearSVM();
    LCDataTable a = Clusters();
    LCDataTable b = Clusters();
    std::string outA, outB;
    std::string failA, failB;
    try {
        TrainQuietly(fromNull, a, &outA);
    } catch (const std::exception& e) {
        failA = e.what();
    }
    try {
        TrainQuietly(linear, b, &outB);
    } catch (const std::exception& e) {
        failB = e.what();
    }
    EXPECT_EQ(failA, failB);
    EXPECT_EQ(outA, outB);
    EXPECT_EQ(Judge(fromNull), Judge(linear));
}
