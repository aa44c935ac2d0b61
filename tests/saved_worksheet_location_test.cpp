// Where the saved worksheet goes when the program's folder cannot take it, and a Compute run and
// Clear Data there, with the real windows.
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/scripted_desktop.hpp"
#include "tests/support/temp_files.hpp"
#include "ui/TemplateForm.hpp"
#include "ui/TemplateResults.hpp"
#include "ui/saved_worksheet_location.hpp"

namespace {

namespace fs = std::filesystem;

constexpr uid_t nobody = 65534;

// Root may write any folder, so a test run by root acts as nobody while this lives.
class OrdinaryUser {
public:
    OrdinaryUser() : switched_(geteuid() == 0)
    {
        if (switched_ && (setegid(nobody) != 0 || seteuid(nobody) != 0))
            ADD_FAILURE() << "cannot act as an ordinary user";
    }
    ~OrdinaryUser()
    {
        if (switched_ && (seteuid(0) != 0 || setegid(0) != 0))
            ADD_FAILURE() << "cannot return to root";
    }

private:
    bool switched_;
};

TEST(SavedWorksheetLocation, AReadOnlyProgramFolderSendsTheFileToTheUsersDataFolder)
{
    const fs::path base = fs::path(testing::TempDir()) / "saved_worksheet_location";
    fs::remove_all(base);
    const fs::path program = base / "bin";
    const fs::path data_home = base / "data";
    fs::create_directories(program);
    fs::create_directories(data_home);
    fs::permissions(program, fs::perms::owner_write, fs::perm_options::remove);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(data_home.c_str(), nobody, nobody), 0);
    }
    const fs::path example = base / "example.txt";
    fs::copy_file(fs::path(VORNAK_SOURCE_DIR) / "examples/memory_test_n250.txt", example);
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data_home.string()));
    const fs::path data_file =
        data_home / QCoreApplication::applicationName().toStdString() / "Vornak.txt";

    // A folder the user may write keeps the file beside the program, as a copy run from a folder
    // of its own expects.
    EXPECT_EQ(ui::ChooseSavedWorksheetPath(base.string()), (base / "Vornak.txt").string());
    {
        OrdinaryUser user;
        ScriptedDesktop desktop;
        ui::TfrmTemplate worksheet{desktop};
        ui::TfrmTemplateResults viewer{desktop, &worksheet};
        worksheet.set_results_viewer(viewer);
        worksheet.set_saved_worksheet_path(ui::ChooseSavedWorksheetPath(program.string()));
        worksheet.show();
        const char* values[] = {"0", "30", "250"};
        for (int number = 1; number <= 3; ++number) {
            QTest::keyClicks(worksheet.findChild<QLineEdit*>(QString("txtInput%1").arg(number)),
                             values[number - 1]);
        }
        desktop.open_answers.push_back(example.string());
        worksheet.cmdComputeClick();

        for (const ScriptedDesktop::Message& message : desktop.messages)
            ADD_FAILURE() << message.kind << ": " << message.text;
        EXPECT_TRUE(viewer.isVisible());
        EXPECT_EQ(file_content(data_file), "0 30 250      ");
        worksheet.btnclearDataClick();
        EXPECT_FALSE(fs::exists(data_file));
    }
    // Not even root writes into the folder the build installs programs to.
    EXPECT_EQ(ui::ChooseSavedWorksheetPath(VORNAK_INSTALL_BINDIR), data_file.string());
    fs::remove_all(base);
}

}  // namespace
