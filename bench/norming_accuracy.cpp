// How accurate norms are, and how often their intervals hold the population's norm score, on
// samples drawn from populations whose norms are known exactly (accuracy_populations.hpp).
//
// Every method runs through the code that vornak-batch runs: the grouped tables as
// `scores --scale T` computes them (Bayesian method), the continuous norms as `continuous`
// computes them, with each rule for choosing the model. For each method, population and group
// size it prints the mean number of coefficients (for the beta-binomial family, both shapes' with
// their constants), the shares of samples the beta-binomial family and the groups' own norms
// normed (with best-family), and, over the cells (age and raw score) whose population PR lies in 2.5 … 97.5:
// the mean error (bias) and the RMSE of the T score, the share of 95% and 90% intervals that
// hold the population's T, and their mean width (of the finite ones). A grouped table's raw
// score that no one in the group reached has PR 0 or 100; it is taken as half a case, 50/n or
// 100 - 50/n, so that its T is finite.
//
//     norming_accuracy [--populations NAME,...] [--sizes N,...] [--methods NAME,...]
//                      [--replicates R] [--bootstrap B] [--seed S] [--threads T]
//                      [--require-coverage95 PERCENT]
//
// With --require-coverage95, it exits with status 1 when any continuous method's 95% intervals
// hold the population's T in fewer than PERCENT of the cells (the CI's short form).
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "accuracy_populations.hpp"
#include "norms/tables/beta_binomial_tables.hpp"
#include "norms/tables/continuous_family.hpp"
#include "norms/tables/continuous_tables.hpp"
#include "norms/tables/norms_table.hpp"
#include "norms/tables/scale_columns.hpp"

namespace {

using accuracy::Extended;
using accuracy::Population;

const stats::NormScale& t_scale()
{
    return stats::StandardNormScales()[1];
}

// One normative sample: its cases as the continuous norms take them, and each table age's
// counts of the raw scores as the grouped tables take them.
struct Draw {
    stats::NormingSample sample;
    std::vector<std::vector<long long>> counts;  // per table age, per raw score
};

Draw draw_sample(const Population& population, int group_size, std::uint64_t seed)
{
    std::mt19937_64 random(seed);
    Draw draw;
    draw.counts.assign(population.ages.size(), std::vector<long long>(population.items + 1, 0));
    for (std::size_t g = 0; g < population.ages.size(); ++g)
        for (int i = 0; i < group_size; ++i) {
            Extended age = population.ages[g];
            if (population.continuous_ages)
                age += accuracy::uniform(random) - 0.5L;
            const int score = accuracy::draw_score(population.probabilities(age), random);
            draw.sample.scores.push_back(score);
            if (population.continuous_ages)
                draw.sample.ages.push_back(age);
            else
                draw.sample.groups.push_back(population.ages[g]);
            ++draw.counts[g][score];
        }
    return draw;
}

// A method's T score of one cell, with its limits when it gives them.
struct CellEstimate {
    Extended norm = 0;
    std::optional<std::array<Extended, 4>> limits;  // lower95, upper95, lower90, upper90
};

// The cells of the population's table ages, age by age, raw scores 0 … items, and the number
// of terms of a continuous model.
struct Norms {
    std::vector<CellEstimate> cells;
    int terms = 0;          // of a continuous model: its coefficients but the constant's
    int family_shares = 0;  // 1 when the beta-binomial family made the norms, 2 the groups' own
};

struct Method {
    std::string name;
    std::function<Norms(const Draw&, const Population&, int resamples, std::uint64_t seed)> norms;
};

Norms grouped_tables(const Draw& draw, const Population&, int, std::uint64_t)
{
    Norms norms;
    std::vector<CellEstimate>& cells = norms.cells;
    for (const std::vector<long long>& counts : draw.counts) {
        norms::NormsTable table{};
        Extended n = 0;
        for (std::size_t x = 0; x < counts.size(); ++x) {
            table[x].RawScore = static_cast<Extended>(x);
            table[x].Frequency = static_cast<Extended>(counts[x]);
            n += table[x].Frequency;
        }
        const int rows = static_cast<int>(counts.size());
        norms::ComputeNormsTable(table, rows, n, stats::IntervalMethod::bayesian);
        for (int x = 0; x < rows; ++x) {
            norms::NormsRow row = table[x];
            row.PR = std::clamp(row.PR, 50 / n, 100 - 50 / n);
            const norms::ScaleValues values = norms::ScaleValuesOf(t_scale(), row);
            cells.push_back({values.point, std::array{values.lower95, values.upper95, values.lower90, values.upper90}});
        }
    }
    return norms;
}

CellEstimate estimate_of(const stats::NormCell& cell)
{
    CellEstimate estimate{cell.norm, std::nullopt};
    if (cell.limits)
        estimate.limits = std::array{cell.limits->norm_lower95, cell.limits->norm_upper95, cell.limits->norm_lower90,
                                     cell.limits->norm_upper90};
    return estimate;
}

// The Taylor model as `choose` sets it up, or with `best_family` the better of it and the
// beta-binomial family out of sample (`continuous --family best`).
Method continuous_method(std::string name, const std::function<void(stats::ContinuousOptions&)>& choose,
                         bool best_family = false)
{
    return {name, [choose, best_family](const Draw& draw, const Population& population, int resamples,
                                        std::uint64_t seed) {
                stats::ContinuousOptions options;
                if (population.continuous_ages)
                    options.window_width = 1;
                choose(options);
                norms::DefaultContinuousTables tables;
                if (best_family)
                    tables = norms::fit_default_continuous_tables(draw.sample, options, population.ages, 0,
                                                                  population.items, {resamples, seed, 1});
                else
                    tables.taylor = norms::fit_continuous_tables(draw.sample, options, population.ages, 0,
                                                                 population.items, {resamples, seed, 1});
                Norms norms;
                if (tables.taylor.group_norms)
                    norms.family_shares = 2;
                if (tables.beta_binomial) {
                    norms.terms = static_cast<int>(tables.beta_binomial->model.alpha.size() +
                                                   tables.beta_binomial->model.beta.size());
                    norms.family_shares = 1;
                    for (const stats::NormCell& cell : tables.beta_binomial->cells)
                        norms.cells.push_back(estimate_of(cell));
                    return norms;
                }
                norms.terms = static_cast<int>(tables.taylor.model.terms.size());
                for (const stats::NormCell& cell : tables.taylor.cells)
                    norms.cells.push_back(estimate_of(cell));
                return norms;
            }};
}

// The beta-binomial family alone, its degrees chosen by BIC, on the population's number of items.
Norms beta_binomial_method(const Draw& draw, const Population& population, int resamples, std::uint64_t seed)
{
    stats::BetaBinomialChoice choice;
    choice.items = population.items;
    const norms::BetaBinomialTables tables =
        norms::fit_beta_binomial_tables(draw.sample, {}, choice, population.ages, {resamples, seed, 1});
    Norms norms;
    norms.terms = static_cast<int>(tables.model.alpha.size() + tables.model.beta.size());
    norms.family_shares = 1;
    for (const stats::NormCell& cell : tables.cells)
        norms.cells.push_back(estimate_of(cell));
    return norms;
}

const std::vector<Method>& suite_methods()
{
    static const std::vector<Method> methods = {
        {"grouped", grouped_tables},
        continuous_method("continuous", [](stats::ContinuousOptions&) {}),
        continuous_method("best-family", [](stats::ContinuousOptions&) {}, true),
        {"betabinomial", beta_binomial_method},
        continuous_method("adjusted-r2", [](stats::ContinuousOptions& o) { o.rule = stats::ModelRule::adjusted_r2; }),
    };
    return methods;
}

struct Tally {
    long long cells = 0;
    long long failures = 0;  // samples the method refused
    Extended error_sum = 0;
    Extended squared_error_sum = 0;
    long long with_limits = 0;
    long long covered95 = 0;
    long long covered90 = 0;
    long long finite95 = 0;
    long long finite90 = 0;
    Extended width95 = 0;
    Extended width90 = 0;
    long long samples = 0;
    long long terms = 0;
    long long beta_binomial = 0;  // samples the beta-binomial family normed
    long long groups = 0;         // samples the groups' own norms normed
};

// The population's T of each cell, and whether the cell counts (PR in 2.5 … 97.5).
struct Truth {
    std::vector<Extended> norm;
    std::vector<bool> counted;
};

Truth truth_of(const Population& population)
{
    Truth truth;
    for (const Extended age : population.ages)
        for (const Extended PR : accuracy::mid_rank_PRs(population.probabilities(age))) {
            truth.norm.push_back(t_scale().of_z(stats::z_of_proportion(PR / 100)));
            truth.counted.push_back(PR >= 2.5L && PR <= 97.5L);
        }
    return truth;
}

void tally_cells(const Norms& norms, const Truth& truth, Tally& tally)
{
    const std::vector<CellEstimate>& cells = norms.cells;
    ++tally.samples;
    tally.terms += norms.terms;
    tally.beta_binomial += norms.family_shares == 1;
    tally.groups += norms.family_shares == 2;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (!truth.counted[c])
            continue;
        const Extended target = truth.norm[c];
        const Extended error = cells[c].norm - target;
        ++tally.cells;
        tally.error_sum += error;
        tally.squared_error_sum += error * error;
        if (!cells[c].limits)
            continue;
        const auto& [lower95, upper95, lower90, upper90] = *cells[c].limits;
        ++tally.with_limits;
        tally.covered95 += lower95 <= target && target <= upper95;
        tally.covered90 += lower90 <= target && target <= upper90;
        if (std::isfinite(upper95 - lower95)) {
            ++tally.finite95;
            tally.width95 += upper95 - lower95;
        }
        if (std::isfinite(upper90 - lower90)) {
            ++tally.finite90;
            tally.width90 += upper90 - lower90;
        }
    }
}

struct Settings {
    std::vector<std::string> populations;
    std::vector<int> sizes = {100, 300, 1000};
    std::vector<std::string> methods;
    int replicates = 20;
    int resamples = 0;
    std::uint64_t seed = 1;
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::optional<double> require_coverage95;
};

std::uint64_t mixed(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15u;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}

// Each method's tally over the replicates of one population and size, the replicates spread
// over the threads. Replicate r's sample follows from the seed, the population, the size and r.
std::vector<Tally> run_cell(const Population& population, int size, const std::vector<const Method*>& methods,
                            const Settings& settings, std::size_t population_index)
{
    const Truth truth = truth_of(population);
    std::vector<Tally> tallies(methods.size());
    std::mutex tallying;
    std::atomic<int> next{0};
    {
        std::vector<std::jthread> pool;
        for (unsigned t = 0; t < settings.threads; ++t)
            pool.emplace_back([&] {
                for (int r = next++; r < settings.replicates; r = next++) {
                    const std::uint64_t seed =
                        mixed(settings.seed ^ mixed(population_index * 1000003u + static_cast<std::uint64_t>(size) * 7919u +
                                                    static_cast<std::uint64_t>(r)));
                    const Draw draw = draw_sample(population, size, seed);
                    for (std::size_t m = 0; m < methods.size(); ++m) {
                        try {
                            const Norms norms = methods[m]->norms(draw, population, settings.resamples, seed);
                            const std::scoped_lock lock(tallying);
                            tally_cells(norms, truth, tallies[m]);
                        } catch (const std::exception& failure) {
                            const std::scoped_lock lock(tallying);
                            ++tallies[m].failures;
                            std::fprintf(stderr, "%s, %d a group, replicate %d, %s: %s\n", population.name.c_str(),
                                         size, r, methods[m]->name.c_str(), failure.what());
                        }
                    }
                }
            });
    }
    return tallies;
}

std::string percent(long long part, long long whole)
{
    if (whole == 0)
        return "–";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", 100.0 * static_cast<double>(part) / static_cast<double>(whole));
    return text;
}

std::string fixed(Extended value, long long count, int decimals = 2)
{
    if (count == 0)
        return "–";
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value / static_cast<Extended>(count)));
    return text;
}

std::vector<std::string> split(const std::string& text)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, ',');)
        parts.push_back(part);
    return parts;
}

Settings parse_settings(int argc, char** argv)
{
    Settings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            throw std::invalid_argument(option + " needs a value");
        const std::string value = argv[++i];
        if (option == "--populations")
            settings.populations = split(value);
        else if (option == "--sizes") {
            settings.sizes.clear();
            for (const std::string& size : split(value))
                settings.sizes.push_back(std::stoi(size));
        } else if (option == "--methods")
            settings.methods = split(value);
        else if (option == "--replicates")
            settings.replicates = std::stoi(value);
        else if (option == "--bootstrap")
            settings.resamples = std::stoi(value);
        else if (option == "--seed")
            settings.seed = std::stoull(value);
        else if (option == "--threads")
            settings.threads = static_cast<unsigned>(std::max(1, std::stoi(value)));
        else if (option == "--require-coverage95")
            settings.require_coverage95 = std::stod(value);
        else
            throw std::invalid_argument("unknown option " + option);
    }
    return settings;
}

template <class Item>
std::vector<const Item*> chosen(const std::vector<Item>& all, const std::vector<std::string>& names)
{
    std::vector<const Item*> items;
    for (const Item& item : all)
        if (names.empty() || std::find(names.begin(), names.end(), item.name) != names.end())
            items.push_back(&item);
    if (items.size() != (names.empty() ? all.size() : names.size()))
        throw std::invalid_argument("a name in the lists is not known");
    return items;
}

}  // namespace

int main(int argc, char** argv)
{
    Settings settings;
    std::vector<const Population*> populations;
    std::vector<const Method*> methods;
    try {
        settings = parse_settings(argc, argv);
        populations = chosen(accuracy::suite_populations(), settings.populations);
        methods = chosen(suite_methods(), settings.methods);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "norming_accuracy: %s\n", failure.what());
        return 2;
    }
    std::printf("%d replicates, %d resamples, seed %llu; T scores of the cells with population PR 2.5 to 97.5\n\n",
                settings.replicates, settings.resamples, static_cast<unsigned long long>(settings.seed));
    std::printf("| population | a group | method | terms | beta-binomial | groups | bias | RMSE | 95%% held | 90%% held | 95%% width | 90%% width |\n");
    std::printf("|---|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    bool short_of_coverage = false;
    for (const Population* population : populations) {
        const std::size_t index = static_cast<std::size_t>(population - accuracy::suite_populations().data());
        for (const int size : settings.sizes) {
            const std::vector<Tally> tallies = run_cell(*population, size, methods, settings, index);
            for (std::size_t m = 0; m < methods.size(); ++m) {
                const Tally& t = tallies[m];
                const Extended rmse = t.cells > 0 ? std::sqrt(t.squared_error_sum / static_cast<Extended>(t.cells)) : 0;
                std::printf("| %s | %d | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |%s\n", population->name.c_str(), size,
                            methods[m]->name.c_str(), t.terms > 0 ? fixed(t.terms, t.samples, 1).c_str() : "",
                            t.terms > 0 ? percent(t.beta_binomial, t.samples).c_str() : "",
                            t.terms > 0 ? percent(t.groups, t.samples).c_str() : "",
                            fixed(t.error_sum, t.cells).c_str(), fixed(rmse, 1).c_str(),
                            percent(t.covered95, t.with_limits).c_str(), percent(t.covered90, t.with_limits).c_str(),
                            fixed(t.width95, t.finite95).c_str(), fixed(t.width90, t.finite90).c_str(),
                            t.failures > 0 ? (" " + std::to_string(t.failures) + " samples refused").c_str() : "");
                std::fflush(stdout);
                if (settings.require_coverage95 && methods[m]->name != "grouped" &&
                    (t.with_limits == 0 || t.failures > 0 ||
                     100.0 * static_cast<double>(t.covered95) < *settings.require_coverage95 * static_cast<double>(t.with_limits)))
                    short_of_coverage = true;
            }
        }
    }
    if (short_of_coverage) {
        std::fprintf(stderr, "norming_accuracy: 95%% coverage below %.1f%%\n", *settings.require_coverage95);
        return 1;
    }
    return 0;
}
