// Runs vornak-batch in-process and keeps what it printed and its exit status.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "norms/batch/batch.hpp"

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline Outcome batch(const std::vector<std::string>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = norms::RunBatch(arguments, out, err);
    return {status, out.str(), err.str()};
}
