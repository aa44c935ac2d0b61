#include "stats/beta_binomial_bootstrap.hpp"

#include <map>
#include <stdexcept>
#include <string>

#include "stats/resampling.hpp"

namespace stats {

ChosenBetaBinomial fit_beta_binomial_choice(const BetaBinomialSample& sample, const BetaBinomialChoice& choice)
{
    if (choice.degrees_chosen())
        return choose_beta_binomial(sample, choice.items, choice.scale);
    return {fit_beta_binomial(sample, choice.items, *choice.alpha_degree, *choice.beta_degree, choice.scale), {}};
}

std::vector<BetaBinomialModel> resample_beta_binomial(const BetaBinomialSample& sample,
                                                      const std::vector<Extended>& strata,
                                                      const BetaBinomialChoice& choice,
                                                      const BetaBinomialModel& fitted,
                                                      const BootstrapChoice& bootstrap, Interruption* interruption)
{
    if (bootstrap.resamples < 1)
        throw std::invalid_argument("A bootstrap needs at least one resample.");
    const std::size_t n = sample.scores.size();
    const std::vector<std::vector<std::size_t>> groups = strata_of(strata, n);
    std::vector<BetaBinomialModel> models(static_cast<std::size_t>(bootstrap.resamples));
    for_each_index(models.size(), bootstrap.threads, [&](std::size_t r) {
        check(interruption);
        std::mt19937_64 engine = resample_engine(bootstrap.seed, r);
        const std::vector<std::uint32_t> counts = drawn_counts(engine, groups, n);
        BetaBinomialSample drawn;
        for (std::size_t i = 0; i < n; ++i)
            for (std::uint32_t copy = 0; copy < counts[i]; ++copy) {
                drawn.scores.push_back(sample.scores[i]);
                drawn.ages.push_back(sample.ages[i]);
                if (!sample.weights.empty())
                    drawn.weights.push_back(sample.weights[i]);
            }
        try {
            models[r] = fit_beta_binomial_choice(drawn, choice).fit.model;
        } catch (const FitNotConverged& failure) {
            throw FitNotConverged("Bootstrap resample " + std::to_string(r + 1) + ": " + failure.what());
        }
        // A resample may miss the youngest or oldest cases; its model still serves their ages.
        models[r].age = fitted.age;
        if (interruption)
            ++interruption->done;
    });
    return models;
}

void add_beta_binomial_limits(std::vector<NormCell>& cells, const std::vector<BetaBinomialModel>& models,
                              unsigned threads)
{
    const std::size_t count = models.size();
    const std::size_t width = cells.size();
    if (count == 0 || width == 0)
        return;
    std::vector<Extended> ages;
    for (const NormCell& cell : cells)
        if (ages.empty() || ages.back() != cell.age)
            ages.push_back(cell.age);
    std::vector<std::vector<NormCell>> tables(count);
    for_each_index(count, threads, [&](std::size_t r) { tables[r] = beta_binomial_norm_table(models[r], ages); });
    // The resamples' tables hold every raw score 0 … N at each age, the cells any of them.
    std::map<std::pair<Extended, Extended>, std::size_t> place;
    for (std::size_t c = 0; c < tables.front().size(); ++c)
        place[{tables.front()[c].age, tables.front()[c].raw}] = c;
    std::vector<Extended> norms(count), ranks(count);
    for (NormCell& cell : cells) {
        const std::size_t c = place.at({cell.age, cell.raw});
        for (std::size_t r = 0; r < count; ++r) {
            norms[r] = tables[r][c].norm;
            ranks[r] = tables[r][c].PR;
        }
        cell.limits = percentile_limits(norms, ranks);
    }
}

}  // namespace stats
