// The cases of a continuous norming run with each case's weight: the complete cases, less those
// whose weight is missing.
#pragma once

#include <cstdint>
#include <vector>

#include "norms/count/norming_cases.hpp"

namespace norms {

struct WeightedNormingCases {
    NormingCases cases;             // skipped counts the missing scores, ages and groups
    std::vector<Extended> weights;  // one per case of cases.sample
    std::int64_t missing_weights = 0;
};

// Every complete case of the file as `read` hands them on, with its weight from `file_weights`
// (one per case of the file in the reader's order, as raked_case_weights gives them; NaN for a
// missing weight, which skips the case).
WeightedNormingCases read_weighted_norming_cases(const CaseReading& read, const NormingLayout& layout,
                                                 const std::vector<Extended>& file_weights);

}  // namespace norms
