// The default continuous norms: the Taylor model chosen by cross-validation and, for scores that
// can be item counts, the beta-binomial family judged on the same folds by the same criterion.
// The family whose norm scores err less on the held-out cases makes the tables.
#pragma once

#include <optional>
#include <vector>

#include "norms/tables/beta_binomial_tables.hpp"
#include "norms/tables/continuous_tables.hpp"

namespace norms {

// The two families' cross-validated errors, on the scale.
struct FamilyComparison {
    int items = 0;  // the beta-binomial's N: the higher of the table's MAX and the highest score
    Extended taylor_error = 0;
    Extended beta_binomial_error = 0;

    bool beta_binomial_chosen() const { return beta_binomial_error < taylor_error; }
};

struct DefaultContinuousTables {
    // The Taylor model's fit, with its tables and limits when it is chosen.
    ContinuousTables taylor;
    // When chosen: the beta-binomial tables, with the rows MIN … MAX of each age.
    std::optional<BetaBinomialTables> beta_binomial;
    // When both families were judged.
    std::optional<FamilyComparison> comparison;
};

// Whether the families are compared: the number of terms is left to cross-validation, the
// table starts at 0 or above, and every score is a whole number from 0.
bool compares_families(const stats::NormingSample& sample, const stats::ContinuousOptions& options, long long raw_min);

// Fits the Taylor model, and the beta-binomial (its degrees by BIC) where compares_families, and
// makes the tables of the better, as fit_continuous_tables and fit_beta_binomial_tables do.
DefaultContinuousTables fit_default_continuous_tables(const stats::NormingSample& sample,
                                                      const stats::ContinuousOptions& options,
                                                      std::vector<Extended> ages, long long raw_min, long long raw_max,
                                                      const stats::BootstrapChoice& bootstrap,
                                                      stats::Interruption* interruption = nullptr);

}  // namespace norms
