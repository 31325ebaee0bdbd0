#pragma once

#include "vecmat/Export.h"
#include "vecmat/core/Vector.h"

namespace pct {

// A two-class model judging single samples. Objects handed out through this interface are
// freed with Release().
class VECMAT_API ILinearClassificationModel {
public:
    ILinearClassificationModel() = default;
    ILinearClassificationModel(const ILinearClassificationModel&) = default;
    ILinearClassificationModel& operator=(const ILinearClassificationModel&) = default;
    virtual ~ILinearClassificationModel();

    // The tag the model gives the sample x.
    virtual int Judge(const pct::Vector& x) = 0;
    // Whether the model gives x the tag `tag` (through the virtual Judge).
    virtual bool IsClass(const pct::Vector& x, int tag) = 0;
    // Writes the two tags the model can give.
    virtual void GetTag(int* tagP, int* tagN) = 0;

    // Destroys the object through its virtual destructor and frees it (delete this).
    // The object must have been allocated with new.
    virtual void Release() const;
};

}  // namespace pct
