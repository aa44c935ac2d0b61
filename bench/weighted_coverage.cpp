// How often the 95% intervals of a raked sample cover the population's percentile rank.
//
// The population has two strata: a quarter in stratum A, whose raw scores (0 … 30) follow a
// normal distribution of mean 12 and standard deviation 5 cut into whole scores, and three
// quarters in stratum B, of mean 18 and the same spread. Each sample draws its cases with
// stratum A three times over-represented (odds 1 : 1 instead of 1 : 3, so each case is in A
// with probability ½), then rakes them to the true shares ¼ and ¾. For every method the
// program counts how often the interval covers the population's mid-rank PR,
// 100 × (P(X < x) + ½ P(X = x)), at a few raw scores and over all of them, for three tables:
// the weighted one (weighted ranks, intervals from the effective counts); the weighted ranks
// with intervals from counts scaled to n rather than n_eff; and the unweighted table of the
// sample as drawn. As a baseline, a second sample of the same size is drawn in the population's
// proportions and its unweighted table counted the same way: the methods' coverage without
// any weighting. It prints the figures as Markdown tables.
//
//     weighted_coverage [SAMPLES [N]]     (defaults: 1000 samples of 400 cases; seed 20240611)
#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <variant>

#include "norms/tables/norms_table.hpp"
#include "norms/tables/weighted_table.hpp"
#include "stats/effective_sample.hpp"
#include "stats/raking.hpp"
#include "stats/sample_size.hpp"

namespace {

using stats::Extended;

constexpr int score_count = 31;
constexpr std::uint64_t seed = 20240611;
constexpr Extended population_share_a = 0.25L;
constexpr Extended sample_share_a = 0.5L;
constexpr std::array<int, 6> shown_scores = {6, 10, 14, 18, 22, 26};

enum Table { weighted, weighted_at_n, unweighted, proportional, table_count };
constexpr const char* table_names[] = {"weighted (n_eff)", "weighted, intervals at n",
                                       "unweighted", "proportional sample, unweighted"};

struct Stratum {
    std::vector<Extended> probabilities;
    std::vector<Extended> cumulative;
};

Stratum stratum(Extended mean)
{
    Stratum s{stats::DiscretisedNormal(mean, 5, 0, score_count - 1), {}};
    Extended below = 0;
    for (Extended p : s.probabilities)
        s.cumulative.push_back(below += p);
    return s;
}

// 53 random bits as a number in [0, 1): the same stream on every platform.
Extended uniform(std::mt19937_64& random)
{
    return static_cast<Extended>(random() >> 11) * 0x1p-53L;
}

int score_drawn(const Stratum& s, std::mt19937_64& random)
{
    const Extended u = uniform(random);
    int score = 0;
    while (score < score_count - 1 && s.cumulative[score] <= u)
        ++score;
    return score;
}

struct Tally {
    std::array<long long, score_count> covered{};
    std::array<Extended, score_count> width{};
};

void tally(const norms::NormsTable& table, const std::vector<Extended>& true_ranks, Tally& t)
{
    for (int x = 0; x < score_count; ++x) {
        const Extended p = true_ranks[x] / 100;
        t.covered[x] += table[x].Lower95 <= p && p <= table[x].Upper95;
        t.width[x] += 100 * (table[x].Upper95 - table[x].Lower95);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const long samples = argc > 1 ? std::atol(argv[1]) : 1000;
    const long n = argc > 2 ? std::atol(argv[2]) : 400;
    const Stratum a = stratum(12);
    const Stratum b = stratum(18);

    std::vector<Extended> true_ranks;
    Extended below = 0;
    for (int x = 0; x < score_count; ++x) {
        const Extended p = population_share_a * a.probabilities[x] +
                           (1 - population_share_a) * b.probabilities[x];
        true_ranks.push_back(100 * (below + p / 2));
        below += p;
    }

    std::mt19937_64 random(seed);
    Tally tallies[stats::interval_methods.size()][table_count];
    Extended design_effects = 0;
    Extended effective_sizes = 0;
    for (long s = 0; s < samples; ++s) {
        stats::RakingVariable stratum_of_case{"stratum", {population_share_a, 1 - population_share_a}, {}};
        std::vector<int> scores;
        for (long i = 0; i < n; ++i) {
            const bool in_a = uniform(random) < sample_share_a;
            stratum_of_case.levels.push_back(in_a ? 0 : 1);
            scores.push_back(score_drawn(in_a ? a : b, random));
        }
        std::vector<Extended> proportional_frequencies(score_count);
        for (long i = 0; i < n; ++i)
            ++proportional_frequencies[score_drawn(uniform(random) < population_share_a ? a : b, random)];
        auto raked = stats::rake({stratum_of_case});
        if (!std::holds_alternative<stats::RakedWeights>(raked)) {
            std::fprintf(stderr, "sample %ld: raking refused\n", s);
            return 1;
        }
        const std::vector<Extended>& weights = std::get<stats::RakedWeights>(raked).weights;
        stats::ScoreWeightCounter counter(score_count);
        std::vector<Extended> frequencies(score_count);
        for (long i = 0; i < n; ++i) {
            counter.add(scores[i], weights[i]);
            ++frequencies[scores[i]];
        }
        const stats::ScoreWeights sums = counter.totals();
        const stats::EffectiveSample sample = stats::effective_sample(sums);
        stats::EffectiveSample at_n = sample;
        at_n.effective_total = n;
        at_n.effective_counts = stats::LargestRemainderCounts(sums.sums, n);
        design_effects += sample.design_effect;
        effective_sizes += sample.effective_size;

        for (const stats::IntervalMethodEntry& method : stats::interval_methods) {
            Tally* t = tallies[static_cast<int>(method.method)];
            norms::NormsTable table{};
            norms::compute_weighted_norms_table(table, score_count, sample, method.method);
            tally(table, true_ranks, t[weighted]);
            norms::compute_weighted_norms_table(table, score_count, at_n, method.method);
            tally(table, true_ranks, t[weighted_at_n]);
            for (int x = 0; x < score_count; ++x)
                table[x].Frequency = frequencies[x];
            norms::ComputeNormsTable(table, score_count, n, method.method);
            tally(table, true_ranks, t[unweighted]);
            for (int x = 0; x < score_count; ++x)
                table[x].Frequency = proportional_frequencies[x];
            norms::ComputeNormsTable(table, score_count, n, method.method);
            tally(table, true_ranks, t[proportional]);
        }
    }

    std::printf("%ld samples of %ld cases, seed %llu; mean design effect %.3Lf, mean n_eff %.1Lf\n\n",
                samples, n, static_cast<unsigned long long>(seed), design_effects / samples,
                effective_sizes / samples);
    std::printf("| raw score | population PR |\n|---:|---:|\n");
    for (int x : shown_scores)
        std::printf("| %d | %.2Lf |\n", x, true_ranks[x]);
    std::printf("\nCoverage of the 95%% intervals, in percent (mean width in PR points):\n\n");
    std::printf("| method | table |");
    for (int x : shown_scores)
        std::printf(" %d |", x);
    std::printf(" mean of these | mean of all 31 |\n|---|---|");
    for (std::size_t i = 0; i < shown_scores.size() + 2; ++i)
        std::printf("---:|");
    std::printf("\n");
    for (const stats::IntervalMethodEntry& method : stats::interval_methods) {
        for (int table = 0; table < table_count; ++table) {
            const Tally& t = tallies[static_cast<int>(method.method)][table];
            const auto cell = [&](Extended covered, Extended width, int scores) {
                std::printf(" %.1Lf (%.1Lf) |", 100 * covered / (samples * scores),
                            width / (samples * scores));
            };
            std::printf("| %s | %s |", std::string(method.command_line_name).c_str(),
                        table_names[table]);
            Extended covered = 0, width = 0;
            for (int x : shown_scores) {
                cell(t.covered[x], t.width[x], 1);
                covered += t.covered[x];
                width += t.width[x];
            }
            cell(covered, width, shown_scores.size());
            covered = width = 0;
            for (int x = 0; x < score_count; ++x) {
                covered += t.covered[x];
                width += t.width[x];
            }
            cell(covered, width, score_count);
            std::printf("\n");
        }
    }
    return 0;
}
