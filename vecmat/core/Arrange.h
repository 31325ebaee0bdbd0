#pragma once

#include <cstddef>
#include <vector>

#include "vecmat/Export.h"

namespace pct {

// All orderings of a list of distinct indices, plus an inversion counter.
class VECMAT_API Arrange {
public:
    // Keeps the list to be ordered; no orderings are produced yet.
    explicit Arrange(std::vector<size_t> items);
    Arrange(const Arrange& other);
    Arrange& operator=(const Arrange& other);
    virtual ~Arrange();

    // Produces every ordering of the list, keeps them and returns a copy. The orderings
    // come in lexicographic order of positions in the list; a list of fewer than two
    // entries yields none. Fails when two entries are equal.
    std::vector<std::vector<size_t>> Create();

    // A copy of the orderings from the last Create.
    std::vector<std::vector<size_t>> GetResult();

    // The number of pairs i < j with v[j] < v[i]; v is not changed.
    static int Inversions(std::vector<size_t>& v);

private:
    // Appends every completion of `prefix` by an ordering of `rest`.
    void Fill(std::vector<size_t> prefix, std::vector<size_t> rest);

    std::vector<std::vector<size_t>> results;
    std::vector<size_t> items;
};

}  // namespace pct
