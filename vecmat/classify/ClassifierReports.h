#pragma once

// The report records the classifiers answer with. All counts are 32-bit signed integers;
// a row is "judged" as a tag when the classifier writes that tag into its `result`.

#include <cstdint>
#include <limits>

namespace pct::Ko {

// LinearClassifier::Train. A fresh report is the state of an untrained classifier.
struct TrainingReport {
    bool separable = false;       // every training row judged with its own tag
    std::int32_t rowCount = 0;
    std::int32_t tagP = -1;       // the model's tagP (the smaller tag)
    std::int32_t tagN = -1;       // the model's tagN (the larger tag)
    std::int32_t countP = 0;      // rows whose own tag is tagP
    std::int32_t countN = 0;      // rows whose own tag is tagN
    std::int32_t errorP = 0;      // rows of tag tagP judged otherwise
    std::int32_t errorN = 0;      // rows of tag tagN judged otherwise
    double errorRateGap = 0.0;    // 1 - errorRateRatio; 0 when separable
    double errorRateRatio = 0.0;  // smaller error rate / larger; 0 when separable
};

// LinearClassifier::Test.
struct TestReport {
    std::int32_t rowCount = 0;
    std::int32_t tagP = -1;
    std::int32_t tagN = -1;
    std::int32_t judgedP = 0;
    std::int32_t judgedN = 0;
    std::int32_t wrongP = 0;       // judged tagP, own tag differs
    std::int32_t wrongN = 0;       // judged tagN, own tag differs
    std::int32_t judgedOther = 0;  // judged neither tag (the linear model never does)
};

// LinearClassifier::Classify.
struct ClassifyReport {
    std::int32_t rowCount = 0;
    std::int32_t tagP = -1;
    std::int32_t tagN = -1;
    std::int32_t judgedP = 0;
    std::int32_t judgedN = 0;
};

// LogicClassifier::Train: counts taken by judgement, tags fixed at 1 and 0.
struct LgTrainingReport {
    bool converged = false;       // the descent's final loss is not above its tolerance
    std::int32_t rowCount = 0;
    std::int32_t tagP = 1;
    std::int32_t tagN = 0;
    std::int32_t judgedP = 0;
    std::int32_t judgedN = 0;
    std::int32_t wrongP = 0;
    std::int32_t wrongN = 0;
    double errorRateGap = 0.0;    // 1 - errorRateRatio; 0 when no error rate is positive
    double errorRateRatio = 0.0;  // smaller error rate / larger; 0 when none is positive
};

// LogicClassifier::Test.
struct LgTestReport {
    std::int32_t rowCount = 0;
    std::int32_t judgedP = 0;      // rows judged 1
    std::int32_t judgedN = 0;      // rows judged 0
    std::int32_t wrongP = 0;
    std::int32_t wrongN = 0;
    std::int32_t judgedOther = 0;  // always 0
};

// LogicClassifier::Classify.
struct LgClassifyReport {
    std::int32_t rowCount = 0;
    std::int32_t tagP = 1;
    std::int32_t tagN = 0;
    std::int32_t judgedP = 0;
    std::int32_t judgedN = 0;
};

// SupportVectorMachine::Train, tags fixed at 1 and -1.
struct SVMTrainingReport {
    bool trained = false;  // true whenever Train returns
    std::int32_t rowCount = 0;
    std::int32_t tagP = 1;
    std::int32_t tagN = -1;
    std::int32_t judgedP = 0;
    std::int32_t judgedN = 0;
    std::int32_t wrongP = 0;
    std::int32_t wrongN = 0;
};

// SupportVectorMachine::Test.
struct SVMTestReport {
    std::int32_t rowCount = 0;
    std::int32_t tagP = 1;
    std::int32_t tagN = -1;
    std::int32_t judgedP = 0;
    std::int32_t judgedN = 0;
    std::int32_t wrongP = 0;
    std::int32_t wrongN = 0;
};

// SupportVectorMachine::Classify.
struct SVMClassifyReport {
    std::int32_t rowCount = 0;
    std::int32_t tagP = 1;
    std::int32_t tagN = -1;
    std::int32_t judgedP = 0;
    std::int32_t judgedN = 0;
};

// The error rate wrong / total of one class; NaN for a class without rows (0 / 0).
inline double ErrorRate(std::int32_t wrong, std::int32_t total) {
    if (total == 0) return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(wrong) / static_cast<double>(total);
}

// Fills the two error-rate figures of a training report from the rates of its two classes.
// max is rateN when rateN > rateP, else rateP; when max is not above 0 (a NaN rate from an
// empty class included) both figures keep their values. Otherwise min is rateN when
// rateN < rateP, else rateP; ratio = min / max and gap = 1 - min / max, so both lie in
// [0, 1].
inline void FillErrorRates(double rateP, double rateN, double& errorRateGap,
                           double& errorRateRatio) {
    const double max = rateN > rateP ? rateN : rateP;
    if (!(max > 0.0)) return;
    const double min = rateN < rateP ? rateN : rateP;
    errorRateRatio = min / max;
    errorRateGap = 1.0 - min / max;
}

}  // namespace pct::Ko
