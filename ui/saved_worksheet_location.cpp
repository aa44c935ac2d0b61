#include "ui/saved_worksheet_location.hpp"

#include <QDir>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "norms/program_strings.hpp"

namespace ui {

namespace {

bool is_install_folder(const std::string& folder)
{
    std::error_code error;
    return std::filesystem::equivalent(folder, VORNAK_INSTALL_BINDIR, error);
}

// Judged with the effective user, who is the one that would create the file.
bool user_may_write(const std::string& folder)
{
    return faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0;
}

}  // namespace

std::string ChooseSavedWorksheetPath(const std::string& program_folder)
{
    const std::string beside_program = program_folder + "/" + norms::SavedWorksheetName;
    if (!program_folder.empty() && !is_install_folder(program_folder) &&
        user_may_write(program_folder))
        return beside_program;

    const QString data_folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // Without a home folder there is no data folder; the Compute run then reports the file
    // beside the program that it cannot create.
    if (data_folder.isEmpty())
        return beside_program;
    // A folder that cannot be made shows up as a file error at the first Compute.
    QDir().mkpath(data_folder);
    return (data_folder + "/" + norms::SavedWorksheetName).toStdString();
}

}  // namespace ui
