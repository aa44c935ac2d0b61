// Where the saved-worksheet file lives, decided once when the worksheet is created.
#pragma once

#include <string>

#include "norms/write/saved_worksheet.hpp"

namespace ui {

// Beside the program when the user may write its folder, so that a copy run from a folder of its
// own keeps its file with it. Otherwise (a program installed into /usr/bin, or the folder the
// build installs programs to, which not even root should litter) the file goes into the user's
// data folder, which follows XDG_DATA_HOME and is created when missing.
std::string ChooseSavedWorksheetPath(const std::string& program_folder = norms::RunningProgramFolder());

}  // namespace ui
