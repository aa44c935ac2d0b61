#include "norms/count/weighted_norming_cases.hpp"

#include <cmath>

namespace norms {
namespace {

// Notes which of the file's cases the norming sink keeps.
class KeptCases : public CaseSink {
public:
    explicit KeptCases(NormingCaseSink& sink) : sink_(sink) {}

    void take_case(std::span<const DataValue> values, const CasePlace& place) override
    {
        const std::size_t before = sink_.taken();
        sink_.take_case(values, place);
        kept.push_back(sink_.taken() > before);
    }

    std::vector<bool> kept;

private:
    NormingCaseSink& sink_;
};

// Keeps the entries of `values` (empty, or one per case) whose flag is set.
void keep(std::vector<Extended>& values, const std::vector<bool>& flags)
{
    if (values.empty())
        return;
    std::size_t next = 0;
    for (std::size_t i = 0; i < flags.size(); ++i)
        if (flags[i])
            values[next++] = values[i];
    values.resize(next);
}

}  // namespace

WeightedNormingCases read_weighted_norming_cases(const CaseReading& read, const NormingLayout& layout,
                                                 const std::vector<Extended>& file_weights)
{
    NormingCaseSink sink(layout);
    KeptCases kept(sink);
    read(sink.asked(), kept);
    WeightedNormingCases result{sink.take_cases(), {}, 0};
    std::vector<bool> weighted;
    for (std::size_t i = 0; i < kept.kept.size(); ++i)
        if (kept.kept[i]) {
            const Extended weight = i < file_weights.size() ? file_weights[i] : NAN;
            weighted.push_back(!std::isnan(weight));
            if (std::isnan(weight))
                ++result.missing_weights;
            else
                result.weights.push_back(weight);
        }
    stats::NormingSample& sample = result.cases.sample;
    keep(sample.scores, weighted);
    keep(sample.ages, weighted);
    keep(sample.groups, weighted);
    return result;
}

}  // namespace norms
