// Each case's weight when a sample is raked to the population's margins: the file is read once
// for the stratification variables (and the weight variable the raking starts from), and the
// weights come from stats::rake.
#pragma once

#include <string>
#include <vector>

#include "norms/count/data_file.hpp"
#include "norms/read/margins_file.hpp"

namespace norms {

// Every case's weight, in the order the reader hands the cases on: raked to the margins, if any,
// from the weight variable's weights, if one is named, else from 1. NaN for a case whose
// starting weight is missing, which is left out of the raking and of the counts. Throws
// platform::Failure, before anything is written, for a variable the file does not have (a
// margins variable's message names `margins_file`), a case whose value has no share (naming
// its place), a level with a share but no case, shares that do not add up to 1, and raking
// that does not converge.
std::vector<Extended> raked_case_weights(const CaseReading& read,
                                         const std::vector<MarginsVariable>& margins,
                                         const std::string& weight_variable,
                                         const std::string& margins_file);

// The weights scaled to mean 1 as "case,weight" lines after that header, a case numbered from 1
// in the order of the file; a case without a weight has an empty field.
std::string weights_file_text(const std::vector<Extended>& weights);

}  // namespace norms
