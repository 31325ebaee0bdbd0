#include <vecmat/Vecmat.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "tests/support/TestSupport.h"

using pct::Vector;
using pct::Ko::GradientDescent;
using pct::Ko::GrandientResult;

namespace {

// Loss 1/2 |x|^2 with gradient x, recording every loss it computes.
struct HalfSquare {
    std::vector<double> losses;
    int gradients = 0;

    GradientDescent Make() {
        return GradientDescent(
            [this](const Vector& x) {
                const double l = 0.5 * x.Dot(x);
                losses.push_back(l);
                return l;
            },
            [this](const Vector& x) {
                ++gradients;
                return x;
            });
    }
};

}  // namespace

TEST(GradientDescent, HalvesTowardsTheMinimumStepByStep) {
    HalfSquare f;
    const Vector start(std::vector<double>{1, 1});
    const GrandientResult r = f.Make().Compute(start, 100, 0.5, 0.01);
    EXPECT_EQ(f.losses, (std::vector<double>{1, 0.25, 0.0625, 0.015625, 0.00390625}));
    EXPECT_EQ(f.gradients, 4);
    EXPECT_EQ(Vector(r.point).ToFeatureDatas(), (std::vector<double>{0.0625, 0.0625}));
    EXPECT_EQ(r.iterations, 4u);
    EXPECT_EQ(r.loss, 0.00390625);
    EXPECT_EQ(r.tolerance, 0.01);
    EXPECT_GE(r.tolerance, r.loss);
    EXPECT_EQ(Vector(start).ToFeatureDatas(), (std::vector<double>{1, 1}));
}

TEST(GradientDescent, ZeroBudgetOrReachedTargetTakesNoStep) {
    for (auto [budget, tol] : {std::pair<size_t, double>{0, 0.01}, {100, 1.0}, {100, 5.0}}) {
        HalfSquare f;
        const GrandientResult r = f.Make().Compute(Vector(std::vector<double>{1, 1}), budget, 0.5, tol);
        EXPECT_EQ(r.iterations, 0u);
        EXPECT_EQ(r.loss, 1.0);
        EXPECT_EQ(r.tolerance, tol);
        EXPECT_EQ(Vector(r.point).ToFeatureDatas(), (std::vector<double>{1, 1}));
        EXPECT_EQ(f.losses.size(), 1u);
        EXPECT_EQ(f.gradients, 0);
    }
}

TEST(GradientDescent, RunsTheWholeBudgetWhenTheTargetIsNeverReached) {
    HalfSquare f;
    const GrandientResult r = f.Make().Compute(Vector(std::vector<double>{1, 1}), 7, 0.5, -1.0);
    EXPECT_EQ(r.iterations, 7u);
    EXPECT_EQ(f.gradients, 7);
    EXPECT_EQ(f.losses.size(), 8u);
    EXPECT_LT(r.tolerance, r.loss);

    // A step too small to get anywhere near.
    HalfSquare g;
    const GrandientResult s = g.Make().Compute(Vector(std::vector<double>{1, 1}), 3, 1e-3, 1e-6);
    EXPECT_EQ(s.iterations, 3u);
    EXPECT_GT(s.loss, s.tolerance);
}

TEST(GradientDescent, NotANumberLossStopsAfterTheStepThatProducedIt) {
    int calls = 0;
    GradientDescent d(
        [&calls](const Vector&) {
            ++calls;
            return calls == 3 ? std::numeric_limits<double>::quiet_NaN() : 10.0;
        },
        [](const Vector& x) { return x; });
    const GrandientResult r = d.Compute(Vector(std::vector<double>{1}), 100, 0.5, 0.0);
    EXPECT_EQ(r.iterations, 2u);
    EXPECT_TRUE(std::isnan(r.loss));
    EXPECT_EQ(calls, 3);
}

TEST(GradientDescent, MissingCallablesFailBeforeAnyCall) {
    int calls = 0;
    auto loss = [&calls](const Vector&) { ++calls; return 1.0; };
    auto grad = [&calls](const Vector& x) { ++calls; return x; };
    const Vector start(std::vector<double>{1});
    EXPECT_THROW_MSG(GradientDescent().Compute(start, 5, 0.1, 0.0), "缺少损失函数或梯度函数");
    EXPECT_THROW_MSG(GradientDescent(loss).Compute(start, 5, 0.1, 0.0), "缺少损失函数或梯度函数");
    EXPECT_THROW_MSG(GradientDescent({}, grad).Compute(start, 5, 0.1, 0.0),
                     "缺少损失函数或梯度函数");
    GradientDescent d(loss, grad);
    d.SetFunc(loss, {});
    EXPECT_THROW_MSG(d.Compute(start, 5, 0.1, 0.0), "缺少损失函数或梯度函数");
    EXPECT_EQ(calls, 0);
}

TEST(GradientDescent, FailuresOfTheStepAndOfCallablesPassThrough) {
    GradientDescent wrongLength([](const Vector&) { return 1.0; },
                                [](const Vector&) { return Vector(std::vector<double>{1, 2, 3}); });
    EXPECT_THROW_MSG(wrongLength.Compute(Vector(std::vector<double>{1, 1}), 5, 0.1, 0.0),
                     "两个向量纬度不相等，不能进行操作");
    GradientDescent throwing([](const Vector&) -> double { throw std::logic_error("mine"); },
                             [](const Vector& x) { return x; });
    EXPECT_THROW(throwing.Compute(Vector(std::vector<double>{1}), 5, 0.1, 0.0), std::logic_error);
}

TEST(GradientDescent, CopiesMovesAndReplacesItsCallables) {
    auto constant = [](double v) {
        return GradientDescent([v](const Vector&) { return v; }, [](const Vector& x) { return x; });
    };
    GradientDescent a = constant(1.0);
    GradientDescent b(a);
    const Vector start(std::vector<double>{1});
    EXPECT_EQ(b.Compute(start, 0, 0.1, 0.0).loss, 1.0);
    GradientDescent c(std::move(b));
    EXPECT_EQ(c.Compute(start, 0, 0.1, 0.0).loss, 1.0);
    c = constant(2.0);
    EXPECT_EQ(c.Compute(start, 0, 0.1, 0.0).loss, 2.0);
    a = c;
    EXPECT_EQ(a.Compute(start, 0, 0.1, 0.0).loss, 2.0);
    a = a;
    EXPECT_EQ(a.Compute(start, 0, 0.1, 0.0).loss, 2.0);
    a.SetFunc([](const Vector&) { return 3.0; }, [](const Vector& x) { return x; });
    EXPECT_EQ(a.Compute(start, 0, 0.1, 0.0).loss, 3.0);
    EXPECT_EQ(c.Compute(start, 0, 0.1, 0.0).loss, 2.0);
}
