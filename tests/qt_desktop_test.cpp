#include "ui/qt_desktop.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

using ui::QtDesktop;

namespace {

// Runs `open`, which shows a modal dialog, and lets `handle` look at that dialog and close it.
template <typename Dialog>
void with_modal(const std::function<void()>& open, const std::function<void(Dialog&)>& handle)
{
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no modal dialog";
            QApplication::activeModalWidget()->close();
            return;
        }
        handle(*dialog);
    });
    open();
}

struct BoxSeen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool centred = false;
};

BoxSeen answer_box(const std::function<void()>& show, QMessageBox::StandardButton answer)
{
    BoxSeen seen;
    with_modal<QMessageBox>(show, [&](QMessageBox& box) {
        const QPoint screen_centre = box.screen()->availableGeometry().center();
        seen = {box.windowTitle(), box.text(), box.icon(), box.standardButtons(),
                (box.frameGeometry().center() - screen_centre).manhattanLength() <= 1};
        box.button(answer)->click();
    });
    return seen;
}

}  // namespace

TEST(QtDesktop, MessageBoxesCarryTheirTitlesIconsAndButtonsCentredOnTheScreen)
{
    QtDesktop desktop;
    const BoxSeen warning = answer_box([&] { desktop.warning("INPUT ERROR\r\rEnter."); },
                                       QMessageBox::Ok);
    EXPECT_EQ(warning.title, "Warning");
    EXPECT_EQ(warning.text, "INPUT ERROR\n\nEnter.");
    EXPECT_EQ(warning.icon, QMessageBox::NoIcon);
    EXPECT_EQ(warning.buttons, QMessageBox::Ok);
    EXPECT_TRUE(warning.centred);

    const BoxSeen error = answer_box([&] { desktop.error("Too many"); }, QMessageBox::Ok);
    EXPECT_EQ(error.title, "Error");
    EXPECT_EQ(error.icon, QMessageBox::Critical);

    bool answer = true;
    const BoxSeen confirm =
        answer_box([&] { answer = desktop.confirm("Exit from program?"); }, QMessageBox::No);
    EXPECT_EQ(confirm.title, "Confirm");
    EXPECT_EQ(confirm.icon, QMessageBox::Question);
    EXPECT_EQ(confirm.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_FALSE(answer);
    answer_box([&] { answer = desktop.confirm("Exit from program?"); }, QMessageBox::Yes);
    EXPECT_TRUE(answer);

    const BoxSeen failure = answer_box([&] { desktop.failure("File not found"); }, QMessageBox::Ok);
    EXPECT_EQ(failure.title, "ui_tests");
    EXPECT_EQ(failure.text, "File not found.");
    EXPECT_EQ(failure.icon, QMessageBox::Critical);
}

TEST(QtDesktop, FileTypeListsBecomeQtNameFilters)
{
    EXPECT_EQ(ui::qt_name_filters("Text files only|*.txt"),
              QStringList{"Text files only (*.txt)"});
    EXPECT_EQ(ui::qt_name_filters("*.txt"), QStringList{"*.txt"});
    EXPECT_EQ(ui::qt_name_filters("Data|*.txt;*.dat|All|*.*"),
              (QStringList{"Data (*.txt *.dat)", "All (*.*)"}));
    EXPECT_TRUE(ui::qt_name_filters("").isEmpty());
}

TEST(QtDesktop, OpenDialogStartsInTheInitialFolderAndMovesTheCurrentFolderToTheChoice)
{
    const QString previous_folder = QDir::currentPath();
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "open_dialog";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "raw_data.txt") << "1 2\r\n";

    QtDesktop desktop;
    platform::FileDialog dialog;
    dialog.filter = "Text files only|*.txt";
    dialog.initial_folder = folder.string();
    dialog.file_must_exist = true;
    bool chosen = false;
    with_modal<QFileDialog>([&] { chosen = desktop.open_file(dialog); }, [&](QFileDialog& shown) {
        EXPECT_EQ(shown.directory().absolutePath().toStdString(), folder.string());
        EXPECT_EQ(shown.nameFilters(), QStringList{"Text files only (*.txt)"});
        EXPECT_EQ(shown.fileMode(), QFileDialog::ExistingFile);
        shown.selectFile("raw_data.txt");
        QMetaObject::invokeMethod(&shown, "accept");
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(dialog.file_name, (folder / "raw_data.txt").string());
    EXPECT_EQ(QDir::currentPath().toStdString(), folder.string());

    platform::FileDialog save;
    save.prompt_overwrite = true;
    save.file_name = "results.txt";
    with_modal<QFileDialog>([&] { chosen = desktop.save_file(save); }, [&](QFileDialog& shown) {
        EXPECT_FALSE(shown.testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(shown.acceptMode(), QFileDialog::AcceptSave);
        shown.reject();
    });
    EXPECT_FALSE(chosen);
    QDir::setCurrent(previous_folder);
}
