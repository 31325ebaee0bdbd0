#include "vecmat/classify/LinearClassificationModel.h"

#include <utility>

namespace pct::Ko {

LinearClassificationModel::LinearClassificationModel(const pct::Vector& weights, double threshold,
                                                     int tagP, int tagN)
    : weights(weights), threshold(threshold), tagP(tagP), tagN(tagN) {}

LinearClassificationModel::LinearClassificationModel(const LinearClassificationModel& other)
    : pct::ILinearClassificationModel(other),
      weights(other.weights),
      threshold(other.threshold),
      tagP(other.tagP),
      tagN(other.tagN) {}

LinearClassificationModel::LinearClassificationModel(LinearClassificationModel&& other) noexcept
    : pct::ILinearClassificationModel(other),
      weights(std::move(other.weights)),
      threshold(other.threshold),
      tagP(other.tagP),
      tagN(other.tagN) {}

LinearClassificationModel& LinearClassificationModel::operator=(
    const LinearClassificationModel& other) {
    if (this != &other) {
        weights = other.weights;  // the only step that can fail; nothing changed before it
        threshold = other.threshold;
        tagP = other.tagP;
        tagN = other.tagN;
    }
    return *this;
}

LinearClassificationModel& LinearClassificationModel::operator=(
    LinearClassificationModel&& other) noexcept {
    if (this != &other) {
        weights = std::move(other.weights);
        threshold = other.threshold;
        tagP = other.tagP;
        tagN = other.tagN;
    }
    return *this;
}

LinearClassificationModel::~LinearClassificationModel() {}

int LinearClassificationModel::Judge(const pct::Vector& x) {
    // A NaN decision value is not greater than 0 and so gives tagN, like equality.
    return weights.Dot(x) - threshold > 0.0 ? tagP : tagN;
}

bool LinearClassificationModel::IsClass(const pct::Vector& x, int tag) { return Judge(x) == tag; }

void LinearClassificationModel::GetTag(int* tagP, int* tagN) {
    // A null pointer means the caller does not want that tag.
    if (tagP != nullptr) *tagP = this->tagP;
    if (tagN != nullptr) *tagN = this->tagN;
}

const pct::Vector& LinearClassificationModel::GetWeights() const { return weights; }

double LinearClassificationModel::GetThreshold() const { return threshold; }

}  // namespace pct::Ko
