// Writes spelling_by_age.sav and spelling_by_age.dta from spelling_by_age.csv: the same children,
// with the age bands as labelled codes. A score given as "NA" (not administered) becomes the
// user-missing code 99 in the SPSS file and the extended missing value .a in the Stata file; an
// empty score is system-missing in both.
//
// Usage: make_statistics_examples CSV_FILE OUTPUT_FOLDER
#include <cmath>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "tests/support/statistics_writer.hpp"

using test_files::Cell;

namespace {

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> result;
    std::istringstream stream(line);
    for (std::string field; std::getline(stream, field, ',');)
        result.push_back(field);
    if (!line.empty() && line.back() == ',')
        result.emplace_back();
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: make_statistics_examples CSV_FILE OUTPUT_FOLDER\n";
        return 2;
    }
    std::ifstream csv(argv[1]);
    std::vector<std::vector<std::string>> people;
    std::string line;
    std::getline(csv, line);
    if (line != "id,age_band,sex,raw") {
        std::cerr << argv[1] << ": the header is not id,age_band,sex,raw\n";
        return 1;
    }
    while (std::getline(csv, line))
        people.push_back(fields(line));

    const std::map<double, std::string> bands = {{8, "8 years"}, {9, "9 years"}, {10, "10 years"}};
    for (const std::string ending : {".sav", ".dta"}) {
        const bool spss = ending == ".sav";
        const std::vector<test_files::Variable> variables = {
            test_files::Numeric("id"), test_files::Numeric("age_band", bands), test_files::Text("sex"),
            test_files::Numeric("raw", {}, spss ? std::vector<double>{99} : std::vector<double>{})};
        test_files::StatisticsWriter writer(ending, variables, static_cast<long>(people.size()));
        for (const std::vector<std::string>& person : people) {
            const std::string& raw = person.at(3);
            std::vector<Cell> cells = {std::stod(person.at(0)), std::stod(person.at(1)), person.at(2)};
            if (raw == "NA" && spss)
                cells.emplace_back(99.0);
            else if (raw == "NA")
                cells.emplace_back('a');
            else
                cells.emplace_back(raw.empty() ? std::nan("") : std::stod(raw));
            writer.add_case(cells);
        }
        std::ofstream(std::string(argv[2]) + "/spelling_by_age" + ending, std::ios::binary) << writer.finish();
    }
    return 0;
}
