// The page reads per-person data as delimited text only: the statistics-file reader needs a
// library that the page's build does not have, so every file is read as delimited text.
#include "norms/read/statistics_file.hpp"

#include "platform/failure.hpp"
#include "platform/printable_text.hpp"

namespace norms {

bool IsStatisticsFileName(std::string_view)
{
    return false;
}

bool IsUnreadableDataFileName(std::string_view)
{
    return false;
}

void read_statistics_cases(ByteSource&, const std::string& file_name, const std::string&,
                           const VariableNames&, CaseSink&)
{
    throw platform::Failure(platform::in_quotes(file_name) +
                            ": the page reads delimited text only; save the data as .csv");
}

}  // namespace norms
