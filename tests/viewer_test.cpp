#include "ui/TemplateResults.hpp"

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpontaneKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/support/failure_of.hpp"
#include "tests/support/scripted_desktop.hpp"
#include "ui/qt_desktop.hpp"

namespace {

// These tests must never reach a real printer: libcups reads this before its first request.
const bool no_print_server = setenv("CUPS_SERVER", "/nonexistent/vornak-tests.sock", 1) == 0;

using Message = ScriptedDesktop::Message;

class Viewer : public testing::Test {
protected:
    Viewer()
    {
        EXPECT_TRUE(no_print_server);
        viewer.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    }

    void click(const char* button)
    {
        QTest::mouseClick(viewer.findChild<QPushButton*>(button), Qt::LeftButton);
    }
    QPlainTextEdit& memo() { return *viewer.findChild<QPlainTextEdit*>("memoResults"); }
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
    static QByteArray contents(const std::string& path)
    {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "(missing)";
    }

    QTemporaryDir dir;
    ScriptedDesktop desktop;
    QWidget worksheet;
    ui::TfrmTemplateResults viewer{desktop, &worksheet};
};

}  // namespace

TEST_F(Viewer, StartsEmptyWithReturnFocusedInAFixedPitchFont)
{
    EXPECT_FALSE(viewer.has_lines());
    EXPECT_EQ(viewer.windowTitle(), "Output");
    EXPECT_EQ(viewer.focusWidget(), viewer.findChild<QPushButton*>("cmdReturn"));
    const QFontInfo font(memo().font());
    EXPECT_TRUE(font.fixedPitch()) << font.family().toStdString();
}

TEST_F(Viewer, SavesTheTextAsShownWithCrLfBetweenLinesAndNothingAfterTheLast)
{
    viewer.append_lines({"Raw score  PR", "       12  3.5"});
    viewer.append_lines({"second report"});
    EXPECT_TRUE(viewer.has_lines());
    memo().moveCursor(QTextCursor::End);
    QTest::keyClick(&memo(), Qt::Key_Return);
    QTest::keyClicks(&memo(), "typed note");

    desktop.save_answers = {path("out.txt")};
    click("cmdSaveOutput");
    EXPECT_EQ(contents(path("out.txt")),
              "Raw score  PR\r\n       12  3.5\r\nsecond report\r\ntyped note");
    ASSERT_EQ(desktop.dialogs_seen.size(), 1u);
    const platform::FileDialog& dialog = desktop.dialogs_seen[0];
    EXPECT_EQ(dialog.file_name, "results.txt");
    EXPECT_EQ(ui::qt_name_filters(dialog.filter), QStringList{"Text files (*.txt)"});
    EXPECT_EQ(dialog.initial_folder, "");
    EXPECT_TRUE(dialog.prompt_overwrite);
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(Viewer, SaveProposesTheLastSavedNameAndACancelWritesNothing)
{
    viewer.append_lines({"line"});
    desktop.save_answers = {path("first.txt"), std::nullopt, path("second.txt")};
    click("cmdSaveOutput");
    click("cmdSaveOutput");
    click("cmdSaveOutput");
    ASSERT_EQ(desktop.dialogs_seen.size(), 3u);
    EXPECT_EQ(desktop.dialogs_seen[1].file_name, path("first.txt"));
    EXPECT_EQ(desktop.dialogs_seen[2].file_name, path("first.txt"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"first.txt", "second.txt"}));
}

TEST_F(Viewer, ClearResultsThenSaveReplacesAFileWithZeroBytes)
{
    QFile old(dir.filePath("empty.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    viewer.append_lines({"line"});
    click("cmdClearResults");
    EXPECT_FALSE(viewer.has_lines());
    desktop.save_answers = {path("empty.txt")};
    click("cmdSaveOutput");
    EXPECT_EQ(contents(path("empty.txt")), "");
}

TEST_F(Viewer, AFailedSaveLeavesTheExistingFileAsItWas)
{
    QFile old(dir.filePath("kept.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old report") == 10);
    old.close();
    viewer.append_lines({std::string(4000, 'x')});

    // Files may grow to 1000 bytes only: the write fails half-way with EFBIG.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    desktop.save_answers = {path("kept.txt")};
    EXPECT_EQ(failure_of([&] { viewer.cmdSaveOutputClick(); }), "I/O error 27");
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(contents(path("kept.txt")), "old report");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"kept.txt"}));

    desktop.save_answers = {path("no such folder/out.txt")};
    EXPECT_EQ(failure_of([&] { viewer.cmdSaveOutputClick(); }), "File not found");
}

TEST_F(Viewer, PrintingNeedsASelectionForPrintSelectionAndADefaultPrinter)
{
    viewer.append_lines({"line"});
    viewer.mnuPrintSelectionClick();
    EXPECT_EQ(desktop.messages, (std::vector<Message>{{"Warning", "You have not selected any text."}}));
    EXPECT_EQ(failure_of([&] { viewer.mnuPrintClick(); }),
              "There is no default printer currently selected");
}

TEST_F(Viewer, ReturnToWorksheetSwapsTheWindowsAndKeepsTheText)
{
    viewer.append_lines({"kept"});
    click("cmdReturn");
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_TRUE(worksheet.isVisible());
    EXPECT_EQ(memo().toPlainText(), "kept");
}

TEST_F(Viewer, OnlyTheProgramCanCloseTheWindowNotTheWindowManager)
{
    QCloseEvent from_window_manager;
    QSpontaneKeyEvent::setSpontaneous(&from_window_manager);
    qApp->notify(&viewer, &from_window_manager);  // sendEvent would clear the flag
    EXPECT_FALSE(from_window_manager.isAccepted());
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_TRUE(viewer.close());
}

TEST_F(Viewer, ExitAnsweredNoKeepsEverythingAndYesStopsTheEventLoop)
{
    viewer.append_lines({"kept"});
    desktop.confirm_answers = {false, true};
    // The viewer as the timers' context cancels them if the test ends early.
    QTimer::singleShot(0, &viewer, [&] { click("cmdExit"); });
    QTimer::singleShot(50, &viewer, [&] {
        EXPECT_TRUE(viewer.isVisible());
        EXPECT_EQ(memo().toPlainText(), "kept");
        click("cmdExit");
    });
    QTimer::singleShot(5000, &viewer, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(desktop.messages, (std::vector<Message>{{"Confirm", "Exit from program?"},
                                                      {"Confirm", "Exit from program?"}}));
}
