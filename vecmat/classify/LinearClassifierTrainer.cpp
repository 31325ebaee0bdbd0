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
    std::vector<int> tags(rows);
    std::map<int, size_t> counts;
    for (size_t i = 0; i < rows; ++i) {
        tags[i] = TagFromValue(all.GetPointValue(i, features));
        ++counts[tags[i]];
    }
    if (counts.size() != 2) pct::detail::Fail(pct::msg::kNotTwoClasses);
    std::map<int, detail::ClassRows> samples;
    for (const auto& [tag, count] : counts) {
        samples.emplace(tag, detail::ClassRows(features, count));
    }
    std::vector<double> row(features);
    for (size_t i = 0; i < rows; ++i) {
        for (size_t j = 0; j < features; ++j) row[j] = all.GetPointValue(i, j);
        samples.at(tags[i]).Append(row.data());
    }

    // Build both matrices before storing either, then move them in without allocating.
    std::map<int, pct::Matrix> built;
    for (const auto& [tag, rowsOfTag] : samples) built.emplace(tag, rowsOfTag.ToMatrix());
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
    if (!classMatrices.empty() &&
        m.GetColumnCount() != classMatrices.begin()->second.GetColumnCount()) {
        pct::detail::Fail(pct::msg::kClassWidthMismatch);
    }
    if (classMatrices.size() == 2 && classMatrices.find(tag) == classMatrices.end()) {
        pct::detail::Fail(pct::msg::kAlreadyTwoClasses);
    }
    pct::Matrix copy(m);
    classMatrices[tag] = std::move(copy);
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

    std::map<int, detail::ClassRows> classes;
    for (const auto& [tag, m] : classMatrices) classes.emplace(tag, detail::ClassRows(m));
    return detail::Discriminant(classes);
}

}  // namespace pct::Ko
