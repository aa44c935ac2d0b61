// The continuous norms of `--family best`: the Taylor model chosen by cross-validation and, for
// scores that can be item counts, the beta-binomial family judged on the same folds by the same
// criterion; the one whose norm scores err less on the held-out cases makes the tables. The
// ranking groups' own norms (group_norms.hpp) are judged too, and make the tables instead when
// they err less by more than one standard error of the difference: a smooth model is preferred
// unless the data show it wrong.
#pragma once

#include <optional>
#include <vector>

#include "norms/tables/beta_binomial_tables.hpp"
#include "norms/tables/continuous_tables.hpp"

namespace norms {

enum class NormsFamily { taylor, beta_binomial, groups };

// The cross-validated errors, on the scale, of the families judged.
struct FamilyComparison {
    Extended taylor_error = 0;
    std::optional<Extended> beta_binomial_error;  // for scores that can be item counts
    int items = 0;  // the beta-binomial's N: the higher of the table's MAX and the highest score
    std::optional<Extended> groups_error;  // where the groups' own norms serve the ages
    NormsFamily chosen = NormsFamily::taylor;
};

struct DefaultContinuousTables {
    // The Taylor model's fit, with its tables and limits when it is chosen; when the groups'
    // own norms are chosen, its cells are theirs (and group_norms is set).
    ContinuousTables taylor;
    // When chosen: the beta-binomial tables, with the rows MIN … MAX of each age.
    std::optional<BetaBinomialTables> beta_binomial;
    // When the number of terms was cross-validated.
    std::optional<FamilyComparison> comparison;
};

// Whether the beta-binomial family is judged: the table starts at 0 or above, and every score is
// a whole number from 0.
bool compares_families(const stats::NormingSample& sample, const stats::ContinuousOptions& options, long long raw_min);

// Fits the Taylor model, and the beta-binomial (its degrees by BIC) where compares_families and
// every row is a whole score, and makes the tables of the one chosen, as fit_continuous_tables
// and fit_beta_binomial_tables do, for the raw scores raw_min … raw_max or those of `raw_scores`
// when it lists any; the groups' own norms have their exact limits when resamples are asked for.
DefaultContinuousTables fit_default_continuous_tables(const stats::NormingSample& sample,
                                                      const stats::ContinuousOptions& options,
                                                      std::vector<Extended> ages, long long raw_min, long long raw_max,
                                                      const stats::BootstrapChoice& bootstrap,
                                                      stats::Interruption* interruption = nullptr,
                                                      const std::vector<Extended>& raw_scores = {});

}  // namespace norms
