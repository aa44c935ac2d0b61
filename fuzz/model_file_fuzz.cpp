// libFuzzer target for the continuous model file's reader, on the seeds in fuzz/model-seeds (a
// model saved by `vornak-batch continuous --save-model` and damaged copies of it).
//
// Besides the sanitizers it checks that the reader fails only with platform::Failure, whose
// message holds no control character; and that a model it accepts is one: written again, it
// reads back to the same text, and it gives every cell of a small table at both ends of its
// ages, a norm score within its range of L and a PR from 0 to 100.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "norms/tables/continuous_model_file.hpp"
#include "platform/failure.hpp"
#include "stats/continuous_norms.hpp"

namespace {

bool holds_control_character(const std::string& text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return true;
    return false;
}

void check_tables(const stats::ContinuousModel& model)
{
    const std::string text = norms::continuous_model_json(model);
    if (norms::continuous_model_json(norms::parse_continuous_model(text)) != text)
        std::abort();
    const std::vector<stats::NormCell> cells =
        stats::continuous_norm_table(model, {model.age.low, model.age.high}, -2, 2);
    for (const stats::NormCell& cell : cells)
        if (!(cell.norm >= model.L.low && cell.norm <= model.L.high && cell.PR >= 0 && cell.PR <= 100))
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    stats::ContinuousModel model;
    try {
        model = norms::parse_continuous_model(text);
    } catch (const platform::Failure& failure) {
        if (holds_control_character(failure.what()))
            std::abort();
        return 0;
    }
    check_tables(model);
    return 0;
}
