// The Norms Tables tab's score boxes: MIN, MAX and the step as the data suggest them, in the
// score variable's decimals.
#include "ui/norms_tables_panel.hpp"

#include <algorithm>
#include <cmath>

#include "norms/count/group_checks.hpp"
#include "ui/decimal_spin_box.hpp"

namespace ui {

void NormsTablesPanel::setRange(int column)
{
    const norms::PersonFileSurvey& survey = runner_.file()->persons;
    const auto& ranges = survey.ranges;
    const auto& range = column >= 0 && column < std::ssize(ranges) ? ranges[column] : std::nullopt;
    const auto& decimal = column >= 0 && column < std::ssize(survey.decimal_ranges) ? survey.decimal_ranges[column]
                                                                                     : std::nullopt;
    // Scores with decimals keep them, up to what the boxes hold: 999999 in thousandths.
    setDecimals(decimal && decimal->decimals <= most_box_decimals ? decimal->decimals : 0);
    if (decimals_ > 0) {
        const double unit = std::pow(10.0, decimals_);
        min_box_->setValue(static_cast<int>(std::floor(std::max(decimal->min, 0.0) * unit + 1e-6)));
        max_box_->setValue(static_cast<int>(
            std::ceil(std::min(decimal->max, static_cast<double>(norms::largest_raw_score)) * unit - 1e-6)));
        return;
    }
    min_box_->setValue(range ? static_cast<int>(std::max<std::int64_t>(range->min, 0)) : 0);
    max_box_->setValue(
        range ? static_cast<int>(std::min<std::int64_t>(range->max, norms::largest_raw_score)) : 0);
}

void NormsTablesPanel::setDecimals(int decimals)
{
    decimals_ = decimals;
    for (DecimalSpinBox* box : {min_box_, max_box_, step_box_})
        box->setDecimals(decimals);
    step_box_->setRange(1, static_cast<int>(norms::largest_raw_score) * static_cast<int>(std::pow(10, decimals)));
    step_box_->setValue(1);
}

}  // namespace ui
