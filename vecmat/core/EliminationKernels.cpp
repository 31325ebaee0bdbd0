#include "vecmat/core/EliminationKernels.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "vecmat/core/CpuDispatch.h"

namespace pct::detail {

namespace {

using cpu::Double2;
using cpu::Double4;
using cpu::kLanes;
using cpu::Load;
using cpu::Store;

constexpr double kEpsilon = 2.220446049250313e-16;

// Pivot steps are taken on a panel of kPanelColumns columns; their effect on the columns
// right of it is then replayed chunk by chunk, a chunk of about kChunkBytes staying in the
// second-level cache while all the panel's steps pass over it. A matrix no wider than a
// panel takes each step over its whole width.
constexpr size_t kPanelColumns = 32;
constexpr size_t kChunkBytes = 256 * 1024;
// Back elimination clears a block of this many rows with every row below it in turn.
constexpr size_t kBackRows = 16;

// x[k] = x[k] / v
template <class V>
VECMAT_ALWAYS_INLINE inline void DivideRow(double* x, size_t n, double v) {
    size_t k = 0;
    for (; k + kLanes<V> <= n; k += kLanes<V>) Store<V>(x + k, Load<V>(x + k) / v);
    for (; k < n; ++k) x[k] = x[k] / v;
}

// x[k] = x[k] / f - p[k]
template <class V>
VECMAT_ALWAYS_INLINE inline void ClearRow(double* x, const double* p, size_t n, double f) {
    size_t k = 0;
    for (; k + kLanes<V> <= n; k += kLanes<V>) Store<V>(x + k, Load<V>(x + k) / f - Load<V>(p + k));
    for (; k < n; ++k) x[k] = x[k] / f - p[k];
}

// What the steps of a panel did, to be replayed on the columns right of it.
struct PanelLog {
    struct Step {
        size_t row;       // the step's row, which received the pivot row
        size_t swapWith;  // the row it was exchanged with (row itself for none)
        double pivot;     // the divisor of the pivot row
        bool normalise;   // whether the pivot row was divided
    };
    std::vector<Step> steps;
    std::vector<double> factors;         // per step, rows entries: each row's divisor
    std::vector<unsigned char> cleared;  // per step, rows entries: whether the row was cleared
};

// Pivot step `s` restricted to the columns left of `end`, logging what the columns from
// `end` on still need. When `end` < columns and no pivot lies left of `end`, nothing
// changes and false is returned; over the whole width the step always completes.
template <class V>
VECMAT_ALWAYS_INLINE inline bool Step(double* m, size_t rows, size_t columns, size_t s, size_t end,
                                      double zero, bool fuzzy, PanelLog* log) {
    // 1. The first column from s on holding an element above `zero` in rows s and below.
    size_t c = s;
    size_t p = rows;
    for (; c < end && p == rows; ++c) {
        for (size_t r = s; r < rows; ++r) {
            if (std::fabs(m[r * columns + c]) > zero) {
                p = r;
                break;
            }
        }
    }
    if (p == rows && end < columns) return false;
    if (p < rows) --c;
    // Passed-over columns are stored as zeros in the fuzzy elimination.
    if (fuzzy) {
        for (size_t r = s; r < rows; ++r)
            std::fill(m + r * columns + s, m + r * columns + c, 0.0);
    }
    if (p == rows) return true;

    // 2. A row holding a leading 1 is preferred to the first non-zero one.
    size_t q = p;
    for (size_t r = p; r < rows; ++r) {
        if (std::fabs(m[r * columns + c] - 1.0) <= kEpsilon) {
            q = r;
            break;
        }
    }

    // 3. Bring it to row s (the columns from `end` on when the log is replayed).
    if (q != s) std::swap_ranges(m + s * columns, m + s * columns + end, m + q * columns);

    // 4. Normalise the pivot row from column c on by the pivot read once.
    double* pivotRow = m + s * columns;
    const double v = pivotRow[c];
    const bool normalise = std::fabs(v - 1.0) > kEpsilon;
    if (normalise) DivideRow<V>(pivotRow + c, end - c, v);

    // 5. Clear below: each row is divided by its own leading element, then the pivot row
    //    is subtracted.
    const size_t logged = log != nullptr ? log->factors.size() : 0;
    if (log != nullptr) {
        log->steps.push_back({s, q, v, normalise});
        log->factors.resize(logged + rows);
        log->cleared.resize(logged + rows, 0);
    }
    for (size_t r = s + 1; r < rows; ++r) {
        double* row = m + r * columns;
        const double f = row[c];
        if (std::fabs(f) <= zero) {
            if (fuzzy) row[c] = 0.0;
            continue;
        }
        ClearRow<V>(row + c, pivotRow + c, end - c, f);
        if (log != nullptr) {
            log->factors[logged + r] = f;
            log->cleared[logged + r] = 1;
        }
    }
    return true;
}

// The logged steps, in order, on the columns from `from` on.
template <class V>
VECMAT_ALWAYS_INLINE inline void Replay(double* m, size_t rows, size_t columns, size_t from,
                                        const PanelLog& log) {
    const size_t chunk = std::max<size_t>(16, kChunkBytes / sizeof(double) / rows / 8 * 8);
    for (size_t a = from; a < columns; a += chunk) {
        const size_t width = std::min(chunk, columns - a);
        for (size_t i = 0; i < log.steps.size(); ++i) {
            const PanelLog::Step& step = log.steps[i];
            double* pivot = m + step.row * columns + a;
            if (step.swapWith != step.row)
                std::swap_ranges(pivot, pivot + width, m + step.swapWith * columns + a);
            if (step.normalise) DivideRow<V>(pivot, width, step.pivot);
            const double* factors = log.factors.data() + i * rows;
            const unsigned char* cleared = log.cleared.data() + i * rows;
            for (size_t r = step.row + 1; r < rows; ++r)
                if (cleared[r]) ClearRow<V>(m + r * columns + a, pivot, width, factors[r]);
        }
    }
}

template <class V>
VECMAT_ALWAYS_INLINE inline void EchelonBody(double* m, size_t rows, size_t columns, double zero,
                                             bool fuzzy) {
    const size_t limit = std::min(rows, columns);
    PanelLog log;
    for (size_t s = 0; s < limit;) {
        const size_t end = std::min(columns, s + kPanelColumns);
        PanelLog* const pending = end < columns ? &log : nullptr;
        log.steps.clear();
        log.factors.clear();
        log.cleared.clear();
        size_t t = s;
        while (t < limit && Step<V>(m, rows, columns, t, end, zero, fuzzy, pending)) ++t;
        if (t == s) {
            // No pivot within the panel: this one step runs over the whole width.
            Step<V>(m, rows, columns, s, columns, zero, fuzzy, nullptr);
            ++t;
        } else if (pending != nullptr) {
            Replay<V>(m, rows, columns, end, log);
        }
        s = t;
    }
}

// Rows begin .. end - 1 lose, one pivot row after the other, the column c[j] of pivot row
// r[j]: q(k) = q(k) - f * r[j](k) from column c[j] on, f being q(c[j]) as the pivot rows
// before left it. The G pivot rows pass together over each row, each element still taking
// their terms in order.
template <class V, size_t G>
VECMAT_ALWAYS_INLINE inline void ClearAbove(double* m, size_t columns, const size_t* r, const size_t* c,
                                            size_t begin, size_t end) {
    const double* pivot[G];
    size_t first = columns, all = 0;  // all pivot rows apply from column `all` on
    for (size_t j = 0; j < G; ++j) {
        pivot[j] = m + r[j] * columns;
        first = std::min(first, c[j]);
        all = std::max(all, c[j]);
    }
    for (size_t q = end; q-- > begin;) {
        double* x = m + q * columns;
        double f[G];
        for (size_t j = 0; j < G; ++j) {
            double v = x[c[j]];
            for (size_t i = 0; i < j; ++i)
                if (c[j] >= c[i]) v = v - f[i] * pivot[i][c[j]];
            f[j] = v;
        }
        for (size_t k = first; k < all; ++k) {
            double v = x[k];
            for (size_t j = 0; j < G; ++j)
                if (k >= c[j]) v = v - f[j] * pivot[j][k];
            x[k] = v;
        }
        size_t k = all;
        for (; k + kLanes<V> <= columns; k += kLanes<V>) {
            V v = Load<V>(x + k);
#pragma GCC unroll 4
            for (size_t j = 0; j < G; ++j) v = v - f[j] * Load<V>(pivot[j] + k);
            Store<V>(x + k, v);
        }
        for (; k < columns; ++k) {
            double v = x[k];
            for (size_t j = 0; j < G; ++j) v = v - f[j] * pivot[j][k];
            x[k] = v;
        }
    }
}

// A row block at a time from the bottom: first every row below the block clears its column
// in the block (four rows at a time), then the block's own rows from its last up. Row r is
// final, and its leading 1 found, once every row below it has been applied, as in the
// plain order.
template <class V>
VECMAT_ALWAYS_INLINE inline void BackEliminateBody(double* m, size_t rows, size_t columns) {
    constexpr size_t kGroup = 4;
    std::vector<size_t> pivots;  // rows with a leading 1, from the bottom
    std::vector<size_t> leads;   // their leading 1's columns
    for (size_t end = rows; end > 0;) {
        const size_t begin = end > kBackRows ? end - kBackRows : 0;
        size_t j = 0;
        for (; j + kGroup <= pivots.size(); j += kGroup)
            ClearAbove<V, kGroup>(m, columns, &pivots[j], &leads[j], begin, end);
        for (; j < pivots.size(); ++j) ClearAbove<V, 1>(m, columns, &pivots[j], &leads[j], begin, end);
        for (size_t r = end; r-- > begin;) {
            const double* row = m + r * columns;
            size_t c = 0;
            while (c < columns && !(std::fabs(row[c] - 1.0) <= kEpsilon)) ++c;
            if (c == columns) continue;
            pivots.push_back(r);
            leads.push_back(c);
            ClearAbove<V, 1>(m, columns, &r, &c, begin, r);
        }
        end = begin;
    }
}

VECMAT_AVX2 void PivotStepAvx2(double* m, size_t rows, size_t columns, size_t start, double zero, bool fuzzy) {
    Step<Double4>(m, rows, columns, start, columns, zero, fuzzy, nullptr);
}

void PivotStepGeneric(double* m, size_t rows, size_t columns, size_t start, double zero, bool fuzzy) {
    Step<Double2>(m, rows, columns, start, columns, zero, fuzzy, nullptr);
}

VECMAT_AVX2 void EchelonAvx2(double* m, size_t rows, size_t columns, double zero, bool fuzzy) {
    EchelonBody<Double4>(m, rows, columns, zero, fuzzy);
}

void EchelonGeneric(double* m, size_t rows, size_t columns, double zero, bool fuzzy) {
    EchelonBody<Double2>(m, rows, columns, zero, fuzzy);
}

VECMAT_AVX2 void BackEliminateAvx2(double* m, size_t rows, size_t columns) {
    BackEliminateBody<Double4>(m, rows, columns);
}

void BackEliminateGeneric(double* m, size_t rows, size_t columns) {
    BackEliminateBody<Double2>(m, rows, columns);
}

}  // namespace

void PivotStep(double* m, size_t rows, size_t columns, size_t start, double zero, bool fuzzy) {
    if (cpu::UseAvx2())
        PivotStepAvx2(m, rows, columns, start, zero, fuzzy);
    else
        PivotStepGeneric(m, rows, columns, start, zero, fuzzy);
}

void Echelon(double* m, size_t rows, size_t columns, double zero, bool fuzzy) {
    if (cpu::UseAvx2())
        EchelonAvx2(m, rows, columns, zero, fuzzy);
    else
        EchelonGeneric(m, rows, columns, zero, fuzzy);
}

void BackEliminate(double* m, size_t rows, size_t columns) {
    if (cpu::UseAvx2())
        BackEliminateAvx2(m, rows, columns);
    else
        BackEliminateGeneric(m, rows, columns);
}

}  // namespace pct::detail
