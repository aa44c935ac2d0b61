// Statistics-package files made with ReadStat's writer, for the tests, the benchmark and the
// examples: variables with value labels and missing-value codes, then one case at a time.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

struct readstat_writer_s;

namespace test_files {

struct Variable {
    std::string name;
    bool is_string = false;
    std::map<double, std::string> labels;                 // value labels of a numeric variable
    std::vector<double> missing_codes;                    // SPSS user-missing codes
    std::vector<std::pair<double, double>> missing_ranges;  // SPSS user-missing ranges
    std::string label_set;  // the labels' set name; empty: the variable's name and "_labels"
    std::size_t width = 32;  // of a string variable, in bytes
    bool file_weight = false;  // the file names it as its case weight (SPSS)
};

inline Variable Numeric(std::string name, std::map<double, std::string> labels = {},
                        std::vector<double> missing_codes = {},
                        std::vector<std::pair<double, double>> missing_ranges = {})
{
    return {std::move(name), false, std::move(labels), std::move(missing_codes), std::move(missing_ranges), {}, 8};
}

inline Variable Text(std::string name, std::size_t width = 32)
{
    return {std::move(name), true, {}, {}, {}, {}, width};
}

// A number (NaN: system-missing), a string, or an extended missing value by its letter.
using Cell = std::variant<double, std::string, char>;

// The file's format by its ending, letter case aside: ".sav", ".zsav", ".por", ".dta", ".xpt"
// or ".sas7bdat"; its version the writer's own unless one is given (114 for an older Stata file).
class StatisticsWriter {
public:
    StatisticsWriter(std::string ending, const std::vector<Variable>& variables, long case_count,
                     int format_version = 0);
    ~StatisticsWriter();
    StatisticsWriter(const StatisticsWriter&) = delete;
    StatisticsWriter& operator=(const StatisticsWriter&) = delete;

    void add_case(const std::vector<Cell>& cells);
    // The whole file, once every case is added.
    std::string finish();

private:
    readstat_writer_s* writer_;
    std::string bytes_;
};

// The whole file at once.
std::string StatisticsFile(const std::string& ending, const std::vector<Variable>& variables,
                           const std::vector<std::vector<Cell>>& cases, int format_version = 0);

}  // namespace test_files
