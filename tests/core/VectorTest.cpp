#include <cmath>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/core/Vector.h"

using pct::IMatrixFeature;
using pct::Vector;

namespace {

std::string PrintOf(const Vector& v) {
    testing::internal::CaptureStdout();
    v.Print();
    return testing::internal::GetCapturedStdout();
}

void ExpectElements(const Vector& v, const std::vector<double>& expected) {
    ASSERT_EQ(v.Size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(v[i], expected[i]) << "at " << i;
}

// A vector whose elements read through the virtual accessors are ten times the stored
// ones, to see which code paths go through the virtual table.
class ScaledVector : public Vector {
public:
    using Vector::Vector;
    double GetValue(size_t i) const override { return Vector::GetValue(i) * 10.0; }
};

constexpr double kEps = 2.220446049250313e-16;

}  // namespace

TEST(VectorStorage, NoStorageDiffersFromZeroElements) {
    const Vector none;
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(none.Size(), 0u);
    EXPECT_EQ(PrintOf(none), "Vector is empty\n");
    EXPECT_TRUE(Vector(std::vector<double>{}).IsEmpty());

    const Vector zeroSized(size_t{0});
    EXPECT_FALSE(zeroSized.IsEmpty());
    EXPECT_EQ(zeroSized.Size(), 0u);
    EXPECT_EQ(PrintOf(zeroSized), "{  }\n");
    EXPECT_TRUE(zeroSized.IsZero());

    // Copies allocate, even of a vector without storage.
    const Vector copyOfNone(none);
    EXPECT_FALSE(copyOfNone.IsEmpty());
    EXPECT_EQ(copyOfNone.Size(), 0u);
    EXPECT_TRUE(copyOfNone.IsZero());
    Vector assigned{std::vector<double>{1.0}};
    assigned = none;
    EXPECT_FALSE(assigned.IsEmpty());
    EXPECT_EQ(assigned.Size(), 0u);

    const double one = 1.0;
    EXPECT_FALSE(Vector(&one, 0).IsEmpty());
    EXPECT_FALSE(Vector(nullptr, 0).IsEmpty());
}

TEST(VectorStorage, ConstructionCopiesAndZeroes) {
    ExpectElements(Vector(size_t{3}), {0.0, 0.0, 0.0});
    double values[] = {1.5, -2.0, 3.25};
    Vector v(values, 3);
    values[0] = 99.0;
    ExpectElements(v, {1.5, -2.0, 3.25});
    ExpectElements(Vector(std::vector<double>{4.0, 5.0}), {4.0, 5.0});

    Vector copy(v);
    copy[0] = 7.0;
    ExpectElements(v, {1.5, -2.0, 3.25});
    ExpectElements(copy, {7.0, -2.0, 3.25});
}

TEST(VectorStorage, MovesLeaveTheSourceWithoutStorage) {
    Vector source(std::vector<double>{1.0, 2.0});
    Vector moved(std::move(source));
    ExpectElements(moved, {1.0, 2.0});
    EXPECT_TRUE(source.IsEmpty());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(source.Size(), 0u);

    Vector target(std::vector<double>{9.0});
    target = std::move(moved);
    ExpectElements(target, {1.0, 2.0});
    EXPECT_TRUE(moved.IsEmpty());  // NOLINT(bugprone-use-after-move)

    // A moved-from vector can be assigned again.
    moved = target;
    ExpectElements(moved, {1.0, 2.0});
}

TEST(VectorStorage, SelfAssignmentKeepsTheElements) {
    Vector v(std::vector<double>{1.0, 2.0});
    Vector& alias = v;
    v = alias;
    ExpectElements(v, {1.0, 2.0});
    v = std::move(alias);
    ExpectElements(v, {1.0, 2.0});
}

TEST(VectorStorage, AssigningAStandardVector) {
    Vector v(std::vector<double>{1.0, 2.0});
    v = std::vector<double>{3.0, 4.0, 5.0};
    ExpectElements(v, {3.0, 4.0, 5.0});
    v = std::vector<double>{6.0, 7.0, 8.0};
    ExpectElements(v, {6.0, 7.0, 8.0});

    // An empty standard vector still gives storage to a vector that has none.
    Vector none;
    none = std::vector<double>{};
    EXPECT_FALSE(none.IsEmpty());
    EXPECT_EQ(none.Size(), 0u);

    Vector shrinking(std::vector<double>{1.0});
    shrinking = std::vector<double>{};
    EXPECT_FALSE(shrinking.IsEmpty());
    EXPECT_EQ(shrinking.Size(), 0u);
}

TEST(VectorAccess, BadIndexThrowsByPointerFromTheThreeAccessors) {
    Vector v(std::vector<double>{1.0, 2.0});
    const Vector& cv = v;
    EXPECT_THROW_PTR_MSG(v.GetValue(2), "下标超限");
    EXPECT_THROW_PTR_MSG(v[2], "下标超限");
    EXPECT_THROW_PTR_MSG(cv[2], "下标超限");
    EXPECT_THROW_PTR_MSG(Vector().GetValue(0), "下标超限");
    // SetValue throws an object instead, and writes nothing.
    EXPECT_THROW_MSG(v.SetValue(2, 5.0), "下标超限");
    ExpectElements(v, {1.0, 2.0});
}

TEST(VectorAccess, ReadsAndWrites) {
    Vector v(size_t{2});
    v.SetValue(0, 1.5);
    v[1] = -2.5;
    EXPECT_EQ(v.GetValue(0), 1.5);
    EXPECT_EQ(v.GetValue(1), -2.5);
    EXPECT_EQ(v.ToFeatureDatas(), (std::vector<double>{1.5, -2.5}));
    EXPECT_TRUE(Vector().ToFeatureDatas().empty());

    // The const operator[] goes through the virtual GetValue.
    const ScaledVector scaled(std::vector<double>{2.0});
    const Vector& base = scaled;
    EXPECT_EQ(base[0], 20.0);
}

TEST(VectorAccess, ReleaseFreesAVectorHandedOutAsAFeature) {
    IMatrixFeature* feature = new Vector(std::vector<double>{1.0, 2.0});
    EXPECT_EQ(feature->Size(), 2u);
    EXPECT_EQ((*feature)[1], 2.0);
    feature->Release();  // the leak checker of the sanitizer build sees a missed free
}

TEST(VectorCompare, EqualityUsesAnAbsoluteTolerance) {
    const Vector a(std::vector<double>{1.0, 0.0});
    EXPECT_TRUE(a == Vector(std::vector<double>{1.0, kEps}));
    EXPECT_FALSE(a == Vector(std::vector<double>{1.0, 3e-16}));
    // Absolute, not relative: large values must agree to within 2^-52 too.
    EXPECT_FALSE(Vector(std::vector<double>{1e10}) == Vector(std::vector<double>{1e10 + 1e-5}));
    EXPECT_FALSE(Vector(std::vector<double>{NAN}) == Vector(std::vector<double>{NAN}));
    EXPECT_TRUE(Vector() == Vector(size_t{0}));
}

TEST(VectorCompare, DifferentSizesFail) {
    const Vector a(std::vector<double>{1.0, 2.0});
    EXPECT_THROW_MSG(a == Vector(size_t{3}), "两个向量纬度不一致，不能进行比较");
    EXPECT_THROW_MSG(a == Vector(), "两个向量纬度不一致，不能进行比较");
}

TEST(VectorTests, IsZero) {
    EXPECT_THROW_MSG(Vector().IsZero(), "此向量为空");
    EXPECT_TRUE(Vector(std::vector<double>{kEps, -kEps, 0.0}).IsZero());
    EXPECT_FALSE(Vector(std::vector<double>{0.0, 1e-15}).IsZero());
    EXPECT_FALSE(Vector(std::vector<double>{-1.0}).IsZero());
    EXPECT_FALSE(Vector(std::vector<double>{NAN}).IsZero());
}

TEST(VectorTests, IsParallel) {
    const Vector a(std::vector<double>{1.0, 2.0, 3.0});
    EXPECT_TRUE(a.IsParallel(Vector(std::vector<double>{2.0, 4.0, 6.0})));
    EXPECT_TRUE(a.IsParallel(Vector(std::vector<double>{-0.5, -1.0, -1.5})));
    EXPECT_FALSE(a.IsParallel(Vector(std::vector<double>{2.0, 4.0, 6.5})));
    EXPECT_FALSE(Vector(std::vector<double>{1.0, 0.0}).IsParallel(Vector(std::vector<double>{0.0, 1.0})));
    // Shared zero positions are passed over; a zero meeting a non-zero is not parallel.
    EXPECT_TRUE(Vector(std::vector<double>{0.0, 3.0, 0.0, 1.0})
                    .IsParallel(Vector(std::vector<double>{0.0, 6.0, 0.0, 2.0})));
    EXPECT_FALSE(Vector(std::vector<double>{1.0, 2.0}).IsParallel(Vector(std::vector<double>{1.0, 0.0})));
    // A zero vector is parallel to anything with storage, whatever its size.
    EXPECT_TRUE(Vector(std::vector<double>{0.0, 0.0}).IsParallel(a));
    EXPECT_TRUE(a.IsParallel(Vector(size_t{5})));
    EXPECT_TRUE(a.IsParallel(Vector(size_t{0})));
    // Only this vector's positions are walked; extra elements of the argument are ignored.
    EXPECT_TRUE(Vector(std::vector<double>{1.0, 2.0})
                    .IsParallel(Vector(std::vector<double>{2.0, 4.0, 100.0})));
}

TEST(VectorTests, IsParallelNeverReadsPastAShorterArgument) {
    const Vector longer(std::vector<double>{1.0, 2.0, 3.0});
    EXPECT_THROW_PTR_MSG(longer.IsParallel(Vector(std::vector<double>{2.0, 4.0})), "下标超限");
}

TEST(VectorTests, IsParallelFailsWithoutStorageOnEitherSide) {
    const Vector a(std::vector<double>{1.0});
    EXPECT_THROW_MSG(Vector().IsParallel(a), "空向量不能进行平行比较");
    EXPECT_THROW_MSG(a.IsParallel(Vector()), "空向量不能进行平行比较");
    EXPECT_THROW_MSG(Vector().IsParallel(Vector()), "空向量不能进行平行比较");
}

TEST(VectorArithmetic, DotSumsInIndexOrder) {
    const Vector a(std::vector<double>{1e16, 1.0, -1e16});
    const Vector ones(std::vector<double>{1.0, 1.0, 1.0});
    // (1e16 + 1) rounds back to 1e16, so the in-order sum is exactly 0.
    EXPECT_EQ(a.Dot(ones), 0.0);
    EXPECT_EQ(Vector(std::vector<double>{1.0, 2.0}).Dot(Vector(std::vector<double>{3.0, 4.0})), 11.0);
    EXPECT_EQ(Vector().Dot(Vector(size_t{0})), 0.0);
    EXPECT_THROW_MSG(a.Dot(Vector(size_t{2})), "点乘的两个向量纬度不相等");
}

TEST(VectorArithmetic, Norms) {
    const Vector v(std::vector<double>{3.0, -4.0});
    EXPECT_EQ(v.L1(), 7.0);  // a sum of absolute values
    EXPECT_EQ(v.L2(), 5.0);
    EXPECT_EQ(v.InfinityNorm(), 4.0);
    EXPECT_EQ(Vector(std::vector<double>{1.0, -1.0}).L1(), 2.0);
    EXPECT_EQ(Vector().L1(), 0.0);
    EXPECT_EQ(Vector().L2(), 0.0);
    EXPECT_EQ(Vector().InfinityNorm(), 0.0);
    EXPECT_EQ(Vector(std::vector<double>{-2.0, 2.0, -1.0}).InfinityNorm(), 2.0);
}

TEST(VectorArithmetic, ToUnit) {
    Vector v(std::vector<double>{3.0, 4.0});
    ExpectElements(v.ToUnit(), {0.6, 0.8});
    ExpectElements(v, {3.0, 4.0});
    Vector zero(size_t{2});
    ExpectElements(zero.ToUnit(), {0.0, 0.0});
    Vector tiny(std::vector<double>{1e-17, 0.0});
    ExpectElements(tiny.ToUnit(), {1e-17, 0.0});
}

TEST(VectorArithmetic, SumAndDifference) {
    const Vector a(std::vector<double>{1.0, 2.0});
    const Vector b(std::vector<double>{0.5, -4.0});
    ExpectElements(a + b, {1.5, -2.0});
    ExpectElements(a - b, {0.5, 6.0});
    EXPECT_THROW_MSG(a + Vector(size_t{3}), "两个向量纬度不相等，不能进行操作");
    EXPECT_THROW_MSG(a - Vector(), "两个向量纬度不相等，不能进行操作");
    ExpectElements(a, {1.0, 2.0});
    EXPECT_EQ((Vector() + Vector()).Size(), 0u);
}

TEST(VectorArithmetic, ScalarProductOnEitherSide) {
    const Vector a(std::vector<double>{1.0, -2.0});
    ExpectElements(a * 3.0, {3.0, -6.0});
    ExpectElements(3.0 * a, {3.0, -6.0});
    ExpectElements(a, {1.0, -2.0});
}

TEST(VectorArithmetic, OperatorsReadThroughTheVirtualAccessors) {
    const ScaledVector scaled(std::vector<double>{1.0, 2.0});
    const Vector plain(std::vector<double>{1.0, 1.0});
    ExpectElements(scaled + plain, {11.0, 21.0});
    ExpectElements(scaled * 2.0, {20.0, 40.0});
}

TEST(VectorArithmetic, CrossProduct) {
    const Vector x(std::vector<double>{1.0, 0.0, 0.0});
    const Vector y(std::vector<double>{0.0, 1.0, 0.0});
    ExpectElements(x * y, {0.0, 0.0, 1.0});
    ExpectElements(y * x, {0.0, 0.0, -1.0});
    ExpectElements(Vector(std::vector<double>{1.0, 2.0, 3.0}) * Vector(std::vector<double>{4.0, 5.0, 6.0}),
                   {-3.0, 6.0, -3.0});
    EXPECT_THROW_MSG(Vector(std::vector<double>{1.0, 2.0}) * y, "本库向量叉乘只对3维向量进行操作");
    EXPECT_THROW_MSG(x * Vector(size_t{4}), "本库向量叉乘只对3维向量进行操作");
    ExpectElements(x, {1.0, 0.0, 0.0});
}

TEST(VectorPrint, UsesTheStreamDefaults) {
    EXPECT_EQ(PrintOf(Vector(std::vector<double>{1.0, 2.5})), "{ 1\t2.5 }\n");
    EXPECT_EQ(PrintOf(Vector(std::vector<double>{3.14159265, -1e-7, 1234567.0})),
              "{ 3.14159\t-1e-07\t1.23457e+06 }\n");
    EXPECT_EQ(PrintOf(Vector(std::vector<double>{-0.0})), "{ -0 }\n");
}
