// The worksheet's input texts of the last accepted run, kept in a small file whose place the
// program chooses at start-up: beside the program when its folder may be written, otherwise in
// the user's data folder. Nothing reads the file back; it records what was typed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norms {

// The program folder in a Windows executable path: the characters are scanned up to the first
// ".exe" (any case), and the folder is what stands before the last backslash met by then. An
// ".exe" inside a folder name therefore ends the folder early. Empty when there is no ".exe" or
// no backslash before it.
std::string GetProgramFolder(std::string_view executable_path);

// The folder that holds the running program. On Linux executables carry no ".exe" and paths use
// "/", so this is simply the folder of /proc/self/exe; empty when that cannot be read.
std::string RunningProgramFolder();

// Replaces the file at path by one line, without a line break: every text followed by one space.
// Throws platform::Failure when the file cannot be created or written, or when something other
// than a file or a symlink (a folder, say) stands at path; that is left as it is.
void SaveCurrentData(const std::string& path, const std::vector<std::string>& box_texts);

// Deletes the file (or symlink) if it exists; a file that cannot be deleted, or a folder of that
// name, is left without a word.
void DeleteSavedWorksheet(const std::string& path);

}  // namespace norms
