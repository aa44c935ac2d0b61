#include "ui/saved_worksheet.hpp"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/failure.hpp"
#include "tests/support/temp_files.hpp"

using namespace ui;

TEST(GetProgramFolder, EndsAtTheLastBackslashBeforeTheFirstExe)
{
    EXPECT_EQ(GetProgramFolder("C:\\Tools\\Vornak\\Vornak.exe"), "C:\\Tools\\Vornak");
    EXPECT_EQ(GetProgramFolder("C:\\Tools\\Vornak.EXE"), "C:\\Tools");
    // A folder whose name holds ".exe" ends the scan there.
    EXPECT_EQ(GetProgramFolder("D:\\old\\setup.exe.files\\bin\\Vornak.exe"), "D:\\old");
    EXPECT_EQ(GetProgramFolder("Vornak.exe"), "");
    EXPECT_EQ(GetProgramFolder("C:\\Tools\\Vornak"), "");
    EXPECT_EQ(GetProgramFolder("C:\\Tools\\Vornak.ex"), "");
    EXPECT_EQ(GetProgramFolder(""), "");
}

TEST(SavedWorksheet, RunningProgramFolderHoldsThisExecutable)
{
    const std::filesystem::path folder = RunningProgramFolder();
    EXPECT_TRUE(std::filesystem::exists(folder / "ui_logic_tests"));
    EXPECT_EQ(SavedWorksheetPath(), (folder / "Vornak.txt").string());
}

TEST(SavedWorksheet, ReplacesTheFileAndReportsAFileThatCannotBeCreated)
{
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "saved_ws";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "Vornak.txt").string();
    { std::ofstream(path) << "an older and much longer line\r\n"; }

    SaveCurrentData(path, {"-0.5", "5.", "", "", "", "", "", ""});
    EXPECT_EQ(file_content(path), "-0.5 5.       ");

    DeleteSavedWorksheet(path);
    EXPECT_FALSE(std::filesystem::exists(path));
    DeleteSavedWorksheet(path);

    try {
        SaveCurrentData((folder / "missing" / "Vornak.txt").string(), {"1"});
        FAIL() << "no failure";
    } catch (const platform::Failure& failure) {
        EXPECT_STREQ(failure.what(), "File not found");
    }
}
