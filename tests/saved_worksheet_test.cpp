#include "norms/write/saved_worksheet.hpp"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/failure.hpp"
#include "tests/support/temp_files.hpp"

using namespace norms;

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
    EXPECT_TRUE(std::filesystem::exists(folder / "norms_tests"));
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

TEST(SavedWorksheet, OnlyAFileOrSymlinkOfThatNameIsEverDeleted)
{
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "saved_ws_dir";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "Vornak.txt");
    const std::string path = (folder / "Vornak.txt").string();

    // An empty folder in the way stops the save, and neither the save nor Clear Data removes it.
    try {
        SaveCurrentData(path, {"1"});
        FAIL() << "no failure";
    } catch (const platform::Failure& failure) {
        EXPECT_STREQ(failure.what(), "File access denied");
    }
    DeleteSavedWorksheet(path);
    EXPECT_TRUE(std::filesystem::is_directory(path));

    // A symlink goes, not what it points to.
    std::filesystem::remove(path);
    { std::ofstream(folder / "elsewhere.txt") << "kept"; }
    std::filesystem::create_symlink("elsewhere.txt", path);
    DeleteSavedWorksheet(path);
    EXPECT_FALSE(std::filesystem::is_symlink(path));
    EXPECT_EQ(file_content(folder / "elsewhere.txt"), "kept");
}
