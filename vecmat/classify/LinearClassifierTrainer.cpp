#include "vecmat/classify/LinearClassifierTrainer.h"

#include <climits>
#include <utility>

#include "vecmat/Messages.h"
#include "vecmat/classify/Discriminant.h"

namespace pct::Ko {

namespace {

// The class tag a matrix element stands for: truncated toward zero (2.9 gives 2, -1.5
// gives -1). A value with no int equivalent (NaN, infinite or out of range) gives INT_MIN,
// the value the processor's truncating conversion produces for it.
int TagFromValue(double value) {
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int>(value);
    return INT_MIN;
}

// SetMatrix's checks: the trainer never grows past two classes, and a class is as wide as
// the first one held.
void CheckNewClass(const std::map<int, pct::Matrix>& held, int tag, const pct::Matrix& m) {
    if (!held.empty() && m.GetColumnCount() != held.begin()->second.GetColumnCount()) {
        pct::detail::Fail(pct::msg::kClassWidthMismatch);
    }
    if (held.size() == 2 && held.find(tag) == held.end()) pct::detail::Fail(pct::msg::kAlreadyTwoClasses);
}

}  // namespace

LinearClassifierTrainer::LinearClassifierTrainer() = default;
LinearClassifierTrainer::LinearClassifierTrainer(const LinearClassifierTrainer& other) = default;
LinearClassifierTrainer::LinearClassifierTrainer(LinearClassifierTrainer&& other) noexcept =
    default;
LinearClassifierTrainer& LinearClassifierTrainer::operator=(const LinearClassifierTrainer& other) {
    if (this != &other) {
        std::map<int, pct::Matrix> copy(other.classMatrices);  // may fail; nothing changed yet
        classMatrices.swap(copy);
    }
    return *this;
}
LinearClassifierTrainer& LinearClassifierTrainer::operator=(
    LinearClassifierTrainer&& other) noexcept = default;
LinearClassifierTrainer::~LinearClassifierTrainer() = default;

void LinearClassifierTrainer::InputAllMatrix(const pct::Matrix& all) {
    const size_t rows = all.GetRowCount();
    const size_t columns = all.GetColumnCount();
    // A matrix without rows (or without columns, which has no tag column) holds no tags.
    if (rows == 0 || columns == 0) pct::detail::Fail(pct::msg::kNotTwoClasses);
    const size_t features = columns - 1;

    // The rows of each tag, one after another.
    const double* values = all.Data();
    std::vector<int> tags(rows);
    for (size_t i = 0; i < rows; ++i) tags[i] = TagFromValue(values[i * columns + features]);
    std::map<int, pct::Matrix> built = detail::MatricesByTag(
        rows, features, [&tags](size_t i) { return tags[i]; },
        [values, columns](size_t i) { return values + i * columns; });
    if (built.size() != 2) pct::detail::Fail(pct::msg::kNotTwoClasses);

    // Move both matrices in without allocating.
    while (!built.empty()) {
        auto node = built.extract(built.begin());
        auto held = classMatrices.find(node.key());
        if (held != classMatrices.end()) {
            held->second = std::move(node.mapped());
        } else {
            classMatrices.insert(std::move(node));
        }
    }
}

void LinearClassifierTrainer::SetMatrix(int tag, const pct::Matrix& m) {
    CheckNewClass(classMatrices, tag, m);
    pct::Matrix copy(m);
    classMatrices[tag] = std::move(copy);
}

void LinearClassifierTrainer::SetMatrix(int tag, pct::Matrix&& m) {
    CheckNewClass(classMatrices, tag, m);
    classMatrices[tag] = std::move(m);
}

std::vector<size_t> LinearClassifierTrainer::GetTags() const {
    std::vector<size_t> tags;
    tags.reserve(classMatrices.size());
    // int to size_t is a modular conversion: a negative tag is sign-extended.
    for (const auto& entry : classMatrices) tags.push_back(static_cast<size_t>(entry.first));
    return tags;
}

pct::Matrix LinearClassifierTrainer::GetMatrix(int tag) const {
    const auto found = classMatrices.find(tag);
    if (found == classMatrices.end()) pct::detail::Fail(pct::msg::kClassMatrixMissing);
    return found->second;
}

pct::Ko::LCMData LinearClassifierTrainer::LDA() const {
    // Without a second class there is nothing to discriminate against.
    if (classMatrices.size() < 2) pct::detail::Fail(pct::msg::kNotTwoClasses);

    return detail::Discriminant(classMatrices);
}

}  // namespace pct::Ko
