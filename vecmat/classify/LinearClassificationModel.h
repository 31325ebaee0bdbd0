#pragma once

#include "vecmat/Export.h"
#include "vecmat/classify/ILinearClassificationModel.h"
#include "vecmat/core/Vector.h"

namespace pct::Ko {

// Fisher discriminant model: judges x as tagP when weights . x - threshold > 0 (strictly),
// else tagN; equality and a NaN decision value give tagN.
class VECMAT_API LinearClassificationModel : public pct::ILinearClassificationModel {
public:
    LinearClassificationModel(const pct::Vector& weights, double threshold, int tagP, int tagN);
    LinearClassificationModel(const LinearClassificationModel& other);
    // Takes the other's weight storage; the other's weights are left empty.
    LinearClassificationModel(LinearClassificationModel&& other) noexcept;
    LinearClassificationModel& operator=(const LinearClassificationModel& other);
    LinearClassificationModel& operator=(LinearClassificationModel&& other) noexcept;
    ~LinearClassificationModel() override;

    // Fails with the dot product's message when x and the weights differ in length.
    int Judge(const pct::Vector& x) override;
    bool IsClass(const pct::Vector& x, int tag) override;
    void GetTag(int* tagP, int* tagN) override;

    const pct::Vector& GetWeights() const;
    double GetThreshold() const;

private:
    pct::Vector weights;
    double threshold;
    int tagP;
    int tagN;
};

}  // namespace pct::Ko
