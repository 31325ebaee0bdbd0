// The classifiers' fast training against the plain loops of PlainClassifierLoops.h, to the
// last bit, on random data of awkward sizes: one row, a row count just past a block of 256,
// widths on both sides of a multiple of four. Where the plain loops fail, the library must
// fail with the same message.

#include <cstdint>
#include <cstring>
#include <exception>
#include <map>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tests/classify/PlainClassifierLoops.h"
#include "tests/support/TestSupport.h"
#include "vecmat/classify/LinearClassifier.h"
#include "vecmat/classify/LinearClassifierTrainer.h"
#include "vecmat/classify/LogicClassifier.h"

namespace {

// The bit patterns of the values, or the message of the exception that stopped the call.
struct Outcome {
    std::vector<std::uint64_t> bits;
    std::string failure;

    void Add(double value) {
        std::uint64_t b;
        std::memcpy(&b, &value, sizeof b);
        bits.push_back(b);
    }
    void Add(const pct::Vector& v) {
        for (size_t j = 0; j < v.Size(); ++j) Add(v[j]);
    }
    bool operator==(const Outcome& other) const {
        return bits == other.bits && failure == other.failure;
    }
};

void PrintTo(const Outcome& outcome, std::ostream* os) {
    if (!outcome.failure.empty()) {
        *os << "failure " << testing::PrintToString(outcome.failure);
        return;
    }
    *os << std::hex;
    for (std::uint64_t b : outcome.bits) *os << b << ' ';
    *os << std::dec;
}

template <class F>
Outcome OutcomeOf(F&& f) {
    Outcome outcome;
    try {
        f(outcome);
    } catch (const std::exception& e) {
        outcome.bits.clear();
        outcome.failure = e.what();
    }
    return outcome;
}

// Normal features; the tags drawn independently of them, so the classes overlap.
pct::LCDataTable LogisticTable(size_t rows, size_t features, std::mt19937_64& gen) {
    std::normal_distribution<double> normal(0.0, 2.0);
    std::bernoulli_distribution coin(0.5);
    pct::LCDataTable table;
    for (size_t j = 0; j < features; ++j) table.featureNames.push_back("x" + std::to_string(j));
    for (size_t i = 0; i < rows; ++i) {
        pct::LCDataRow row;
        for (size_t j = 0; j < features; ++j) row.values.push_back(normal(gen));
        row.tag = coin(gen) ? 1 : 0;
        table.rows.push_back(row);
    }
    return table;
}

pct::Matrix RandomMatrix(size_t rows, size_t columns, double shift, std::mt19937_64& gen) {
    std::normal_distribution<double> normal(shift, 1.5);
    std::vector<double> values(rows * columns);
    for (double& v : values) v = normal(gen);
    return pct::Matrix(rows, columns, values.data());
}

void AddModel(Outcome& outcome, const pct::Ko::LCMData& data) {
    outcome.Add(data.weights);
    outcome.Add(data.threshold);
    outcome.Add(data.tagP);
    outcome.Add(data.tagN);
}

}  // namespace

TEST(LogicClassifierBitIdentity, ThetaMatchesPlainLoops) {
    struct Size {
        size_t rows, features;
    };
    // One row and no feature has an invertible Hessian; one row of two features has not.
    const Size sizes[] = {{1, 0}, {1, 2}, {7, 1}, {63, 3}, {257, 10}, {300, 7}};
    std::mt19937_64 gen(13);
    int trained = 0;
    for (const Size& size : sizes) {
        SCOPED_TRACE(std::to_string(size.rows) + " rows, " + std::to_string(size.features) +
                     " features");
        const pct::LCDataTable table = LogisticTable(size.rows, size.features, gen);
        const Outcome plainOutcome =
            OutcomeOf([&](Outcome& o) { o.Add(plain::LogisticTheta(table)); });
        const Outcome fast = OutcomeOf([&](Outcome& o) {
            pct::LCDataTable copy = table;
            pct::Ko::LogicClassifier classifier;
            classifier.Train(copy);
            o.Add(classifier.GetTheta());
        });
        EXPECT_EQ(fast, plainOutcome);
        EXPECT_EQ(fast.bits.size(), fast.failure.empty() ? size.features + 1 : 0);
        trained += fast.failure.empty();
    }
    EXPECT_EQ(trained, 5);
}

TEST(LinearClassifierTrainerBitIdentity, LdaMatchesPlainLoops) {
    struct Size {
        size_t rowsP, rowsN, width;
    };
    const Size sizes[] = {{2, 1, 1}, {7, 9, 3}, {63, 64, 4}, {257, 300, 5}, {100, 120, 20},
                          {40, 33, 9}};
    std::mt19937_64 gen(5);
    for (const Size& size : sizes) {
        SCOPED_TRACE(std::to_string(size.rowsP) + " and " + std::to_string(size.rowsN) +
                     " rows of " + std::to_string(size.width));
        const std::map<int, pct::Matrix> classes{
            {-3, RandomMatrix(size.rowsP, size.width, 0.0, gen)},
            {8, RandomMatrix(size.rowsN, size.width, 0.7, gen)}};
        pct::Ko::LinearClassifierTrainer trainer;
        for (const auto& [tag, m] : classes) trainer.SetMatrix(tag, m);

        const Outcome plainOutcome =
            OutcomeOf([&](Outcome& o) { AddModel(o, plain::Lda(classes)); });
        const Outcome fast = OutcomeOf([&](Outcome& o) { AddModel(o, trainer.LDA()); });
        EXPECT_TRUE(fast.failure.empty());
        EXPECT_EQ(fast, plainOutcome);
    }
}

TEST(LinearClassifierTrainerBitIdentity, ScatterSumsEveryClassHeld) {
    // Two matrices of two tags each leave four classes; the scatter runs over all of them,
    // the rest over the first two.
    std::mt19937_64 gen(21);
    std::map<int, pct::Matrix> classes;
    pct::Ko::LinearClassifierTrainer trainer;
    for (const int firstTag : {1, 3}) {
        std::vector<double> all;
        const size_t width = 6;
        std::normal_distribution<double> normal(0.0, 1.0);
        std::vector<double> byTag[2];
        for (size_t r = 0; r < 90; ++r) {
            const size_t which = r % 3 == 0 ? 1 : 0;
            for (size_t j = 0; j < width; ++j) {
                const double v = normal(gen) + static_cast<double>(which * j);
                all.push_back(v);
                byTag[which].push_back(v);
            }
            all.push_back(firstTag + static_cast<double>(which));
        }
        trainer.InputAllMatrix(pct::Matrix(90, width + 1, all.data()));
        for (size_t which = 0; which < 2; ++which) {
            classes.emplace(firstTag + static_cast<int>(which),
                            pct::Matrix(byTag[which].size() / width, width, byTag[which].data()));
        }
    }
    ASSERT_EQ(trainer.GetTags().size(), 4u);

    const Outcome plainOutcome = OutcomeOf([&](Outcome& o) { AddModel(o, plain::Lda(classes)); });
    const Outcome fast = OutcomeOf([&](Outcome& o) { AddModel(o, trainer.LDA()); });
    EXPECT_TRUE(fast.failure.empty());
    EXPECT_EQ(fast, plainOutcome);
}

TEST(LinearClassifierBitIdentity, TrainMatchesPlainLoopsOnTheTablesClasses) {
    // Rows of the two tags interleaved at random; each class keeps its rows in table order.
    struct Size {
        size_t rows, width;
    };
    const Size sizes[] = {{3, 1}, {20, 3}, {130, 4}, {600, 5}, {300, 20}};
    std::mt19937_64 gen(8);
    std::bernoulli_distribution coin(0.4);
    std::normal_distribution<double> normal(0.0, 1.0);
    for (const Size& size : sizes) {
        SCOPED_TRACE(std::to_string(size.rows) + " rows of " + std::to_string(size.width));
        pct::LCDataTable table;
        std::map<int, std::vector<double>> byTag;
        for (size_t j = 0; j < size.width; ++j) {
            table.featureNames.push_back("f" + std::to_string(j));
        }
        for (size_t i = 0; i < size.rows; ++i) {
            pct::LCDataRow row;
            row.tag = i == 0 ? -1 : i == 1 ? 8 : coin(gen) ? 8 : -1;
            for (size_t j = 0; j < size.width; ++j) {
                row.values.push_back(normal(gen) + (row.tag == 8 ? 0.5 : 0.0));
            }
            byTag[row.tag].insert(byTag[row.tag].end(), row.values.begin(), row.values.end());
            table.rows.push_back(row);
        }
        std::map<int, pct::Matrix> classes;
        for (const auto& [tag, values] : byTag) {
            const size_t rows = values.size() / size.width;
            classes.emplace(tag, pct::Matrix(rows, size.width, values.data()));
        }

        const Outcome plainOutcome =
            OutcomeOf([&](Outcome& o) { AddModel(o, plain::Lda(classes)); });
        const Outcome fast = OutcomeOf([&](Outcome& o) {
            pct::Ko::LinearClassifier classifier;
            const pct::Ko::TrainingReport report = classifier.Train(table);
            const pct::Ko::LinearClassificationModel& model = *classifier.GetModel();
            AddModel(o, pct::Ko::LCMData{model.GetWeights(), model.GetThreshold(), report.tagP,
                                         report.tagN});
            // Every row judged and counted as the model's own Judge does.
            pct::Ko::LinearClassificationModel judge(model);
            int32_t missedP = 0, missedN = 0;
            for (const pct::LCDataRow& row : table.rows) {
                const int judged = judge.Judge(pct::Vector(row.values));
                EXPECT_EQ(row.result, judged);
                missedP += row.tag == report.tagP && judged != row.tag;
                missedN += row.tag == report.tagN && judged != row.tag;
            }
            EXPECT_EQ(report.errorP, missedP);
            EXPECT_EQ(report.errorN, missedN);
        });
        EXPECT_EQ(fast, plainOutcome);
    }
}
