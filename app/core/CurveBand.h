#pragma once

// The 95 % confidence band of a stored curve, or the reason it has none.

#include <memory>
#include <string>

#include "app/core/CurveResult.h"
#include "vecmat/core/Vector.h"

struct CurveBand {
    std::shared_ptr<const pct::Ko::ConfidenceBand> band;  // null: nothing to draw
    std::string note;  // for the status bar when a curve has no band; empty otherwise
};

// The band of a plain or ridge curve fitted on the training points (x, y), made with the
// curve's degree and, for ridge, its L2 weight. A lasso or elastic-net curve has none
// (note kPenaltyBandNote); nor has a curve whose band the library refuses (note
// kBandFailedNote followed by the library's message). A record without coefficients (no
// curve) has neither band nor note.
CurveBand MakeCurveBand(const CurveResult& curve, const pct::Vector& x, const pct::Vector& y);

extern const char* const kPenaltyBandNote;
extern const char* const kBandFailedNote;
// The note of a curve whose band computation the user cancelled.
extern const char* const kBandCancelledNote;
