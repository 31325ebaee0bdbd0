#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/classify/ISVMKernelFunction.h"

using pct::Vector;
using namespace pct::Ko;

namespace {

Vector V(std::vector<double> values) { return Vector(values); }

// Overrides Calculate only: operator() must reach it through the virtual table.
class ConstantKernel : public ISVMKernelFunction {
public:
    double Calculate(const Vector&, const Vector&) override { return 42.0; }
};

}  // namespace

TEST(SVMKernels, Values) {
    const Vector a = V({1, 2});
    const Vector b = V({3, 1});  // a . b = 5, squared distance 5, absolute distance 3

    SVMLinearKernel linear;
    EXPECT_EQ(linear.Calculate(a, b), 5.0);
    EXPECT_EQ(linear(a, b), 5.0);

    SVMPolynomialKernel square(2);
    EXPECT_EQ(square.Calculate(a, b), 25.0);
    SVMPolynomialKernel zero(0);
    EXPECT_EQ(zero.Calculate(a, b), 1.0);  // no added constant: (a . b)^0

    SVMGaussKernel gauss(1.0);
    EXPECT_EQ(gauss.Calculate(V({0, 0}), V({1, 1})), std::exp(-1.0));
    SVMGaussKernel wide(2.0);  // divisor (2 + 2) * 2 = 8
    EXPECT_EQ(wide.Calculate(a, b), std::exp(-5.0 / 8.0));

    SVMLaplaceKernel laplace(2.0);
    EXPECT_EQ(laplace.Calculate(a, b), std::exp(-1.5));

    SVMSigmoidKernel plain(1.0, 0.0);
    EXPECT_EQ(plain.Calculate(a, b), std::tanh(5.0));
    SVMSigmoidKernel shifted(0.5, -2.0);
    EXPECT_EQ(shifted.Calculate(a, b), std::tanh(0.5));
    EXPECT_EQ(shifted.scale, 0.5);
    EXPECT_EQ(shifted.offset, -2.0);

    ConstantKernel constant;
    ISVMKernelFunction& asInterface = constant;
    EXPECT_EQ(asInterface(a, b), 42.0);
}

TEST(SVMKernels, PolynomialDegreeIsUnsigned) {
    SVMPolynomialKernel huge(std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(huge.Calculate(V({0.5}), V({1})), 0.0);
    EXPECT_EQ(huge.Calculate(V({1}), V({1})), 1.0);
}

TEST(SVMKernels, LengthMismatches) {
    SVMLinearKernel linear;
    EXPECT_THROW_MSG(linear.Calculate(V({1, 2}), V({1})), "点乘的两个向量纬度不相等");
    SVMPolynomialKernel poly(3);
    EXPECT_THROW_MSG(poly.Calculate(V({1}), V({1, 2})), "点乘的两个向量纬度不相等");
    SVMSigmoidKernel sigmoid(1, 0);
    EXPECT_THROW_MSG(sigmoid.Calculate(V({1}), V({})), "点乘的两个向量纬度不相等");

    // The distance kernels run over the first argument and read the second with its
    // range check: a longer second argument is fine, a shorter one fails by pointer.
    SVMGaussKernel gauss(1.0);
    EXPECT_DOUBLE_EQ(gauss.Calculate(V({0}), V({1, 100})), std::exp(-0.5));
    EXPECT_THROW_PTR_MSG(gauss.Calculate(V({0, 0}), V({1})), "下标超限");
    SVMLaplaceKernel laplace(1.0);
    EXPECT_DOUBLE_EQ(laplace.Calculate(V({0}), V({2, 100})), std::exp(-2.0));
    EXPECT_THROW_PTR_MSG(laplace.Calculate(V({0, 0}), V({1})), "下标超限");
}

TEST(SVMKernels, ReleaseDestroysThroughTheVirtualDestructor) {
    static int destroyed = 0;
    class Counting : public SVMLinearKernel {
    public:
        ~Counting() override { ++destroyed; }
    };
    ISVMKernelFunction* kernel = new Counting();
    kernel->Release();
    EXPECT_EQ(destroyed, 1);
}
