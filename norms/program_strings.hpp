// Program-wide texts, fixed for the life of the program.
#pragma once

namespace norms {

inline constexpr const char* TitleLine =
    "Vornak.exe: Obtaining a table of point and interval estimates of percentile ranks from raw "
    "score frequencies";
inline constexpr const char* SavedWorksheetName = "Vornak.txt";

// Captions of the worksheet's three visible input boxes' labels, and of the notes box's label.
inline constexpr const char* InputCaptions[] = {
    "Minimum legitimate raw score:",
    "Maximum legitimate raw score:",
    "Total sample size (n) for the normative sample:",
};
inline constexpr const char* NotesCaption = "User's Notes:";

}  // namespace norms
