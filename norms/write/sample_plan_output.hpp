// What vornak-batch plan prints: the report, the precision curve as CSV, and its chart.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "norms/write/chart_model.hpp"
#include "norms/tables/sample_plan.hpp"

namespace norms {

// How a plan was asked for, in words and as typed, beside its request.
struct SamplePlanInputs {
    SamplePlanRequest request;
    Extended max_raw_score = 0;
    std::vector<std::string> shape_lines;  // the report's description of the expected shape
    std::string shape_title;               // the same, short, for the chart's title
    std::vector<std::string> rank_names;   // each rank as typed, for the CSV's columns
};

std::vector<std::string> SamplePlanReport(const SamplePlanInputs& inputs, const SamplePlan& plan);

// The grid points the curve shows: up to twice the overall n, or all of them when some rank
// never reaches the wanted half-width.
std::size_t CurvePointCount(const SamplePlan& plan);

// A header line, then one line per grid point: n, then the half-width at each rank.
void WriteSamplePlanCsv(std::ostream& out, const SamplePlanInputs& inputs, const SamplePlan& plan);

// Half-width against n on a logarithmic n axis, a line per rank, the wanted half-width marked.
ChartModel BuildSamplePlanChart(const SamplePlanInputs& inputs, const SamplePlan& plan);

}  // namespace norms
