#include "vecmat/core/Arrange.h"

#include <algorithm>
#include <utility>

#include "vecmat/Messages.h"

namespace pct {

Arrange::Arrange(std::vector<size_t> items) : results(), items(std::move(items)) {}

Arrange::Arrange(const Arrange& other) = default;

Arrange& Arrange::operator=(const Arrange& other) = default;

Arrange::~Arrange() = default;

std::vector<std::vector<size_t>> Arrange::Create() {
    // The duplicate test runs before anything is cleared, so a failure changes nothing.
    std::vector<size_t> sorted(items);
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
        detail::Fail(msg::kSequenceHasRepeats);
    }
    // Build into a fresh list so that an allocation failure halfway leaves the old one.
    std::vector<std::vector<size_t>> previous;
    previous.swap(results);
    try {
        for (size_t i = 0; i < items.size(); ++i) {
            std::vector<size_t> rest;
            rest.reserve(items.size() - 1);
            for (size_t j = 0; j < items.size(); ++j) {
                if (j != i) rest.push_back(items[j]);
            }
            Fill(std::vector<size_t>{items[i]}, std::move(rest));
        }
    } catch (...) {
        results.swap(previous);
        throw;
    }
    return results;
}

std::vector<std::vector<size_t>> Arrange::GetResult() { return results; }

int Arrange::Inversions(std::vector<size_t>& v) {
    // Counted without overflow; a count beyond int keeps its parity in the conversion.
    unsigned long long count = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        for (size_t j = i + 1; j < v.size(); ++j) {
            if (v[j] < v[i]) ++count;
        }
    }
    return static_cast<int>(static_cast<unsigned int>(count));
}

void Arrange::Fill(std::vector<size_t> prefix, std::vector<size_t> rest) {
    if (rest.size() == 1) {
        prefix.push_back(rest[0]);
        results.push_back(std::move(prefix));
        return;
    }
    for (size_t i = 0; i < rest.size(); ++i) {
        std::vector<size_t> next(prefix);
        next.push_back(rest[i]);
        std::vector<size_t> remaining;
        remaining.reserve(rest.size() - 1);
        for (size_t j = 0; j < rest.size(); ++j) {
            if (j != i) remaining.push_back(rest[j]);
        }
        Fill(std::move(next), std::move(remaining));
    }
}

}  // namespace pct
