#pragma once

// The library's message catalogue. Every message the library throws lives here, stored as
// the GBK (code page 936) bytes callers compare against; the comment above each entry is
// its text. New entries come from `scripts/gbk NAME "text"`. Internal header: callers turn
// a caught message into UTF-8 with pct::MessageToUtf8 (MessageText.h).

#include <stdexcept>

namespace pct::msg {

// ---- core: vectors, matrices, determinants, elimination, decompositions ----

// ---- regression: polynomial fits, CSV reader, simulated data, gradient descent ----

// ---- classify: tables, reports, LDA, classifiers, kernels, plain functions ----

// ---- neighbors: k-d trees ----

// ---- features: feature selection and correlation ----

}  // namespace pct::msg

namespace pct::detail {

// Throws a message of the catalogue by value.
[[noreturn]] inline void Fail(const char* message) { throw std::runtime_error(message); }

// Throws a newly allocated exception by pointer; the catcher owns and deletes it.
[[noreturn]] inline void FailByPointer(const char* message) {
    throw static_cast<std::exception*>(new std::runtime_error(message));
}

}  // namespace pct::detail
