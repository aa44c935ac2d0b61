// Program-wide texts, fixed for the life of the program.
#pragma once

namespace norms {

inline constexpr const char* TitleLine =
    "Vornak.exe: Obtaining a table of point and interval estimates of percentile ranks from raw "
    "score frequencies";
inline constexpr const char* SavedWorksheetName = "Vornak.txt";

}  // namespace norms
