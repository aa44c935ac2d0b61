// The whole program in its two windows: typed values, the method, Compute, the chosen file, and
// the report in the results viewer, with the scripted desktop choosing the file.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <filesystem>

#include <gtest/gtest.h>

#include "norms/program_strings.hpp"
#include "tests/support/method_choice.hpp"
#include "tests/support/scripted_desktop.hpp"
#include "tests/support/temp_files.hpp"
#include "ui/TemplateForm.hpp"
#include "ui/TemplateResults.hpp"

namespace {

namespace fs = std::filesystem;
using Message = ScriptedDesktop::Message;

const fs::path example = fs::path(VORNAK_SOURCE_DIR) / "examples/memory_test_n250.txt";

// The report of the example file for 0, 30 and 250, as the box shows it.
std::string expected_report(const std::string& method)
{
    const fs::path data = fs::path(VORNAK_SOURCE_DIR) / "tests/data";
    std::string report = file_content(data / ("memory_test_n250." + method + ".report"));
    report.replace(report.find("@DATA_FILE@"), 11, example.string());
    report.pop_back();  // the box holds no line end after its last line
    return report;
}

class Program : public testing::Test {
protected:
    Program()
    {
        fs::remove(saved_path);
        worksheet.set_saved_worksheet_path(saved_path.string());
        worksheet.set_results_viewer(viewer);
        worksheet.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&worksheet));
    }

    QLineEdit* box(int number)
    {
        return worksheet.findChild<QLineEdit*>(QString("txtInput%1").arg(number));
    }
    void type_values(const QString& min, const QString& max, const QString& n)
    {
        for (int number = 1; number <= 3; ++number)
            box(number)->clear();
        QTest::keyClicks(box(1), min);
        QTest::keyClicks(box(2), max);
        QTest::keyClicks(box(3), n);
    }
    void compute(std::optional<std::string> chosen_file = example.string())
    {
        desktop.open_answers.push_back(chosen_file);
        QTest::mouseClick(worksheet.findChild<QPushButton*>("cmdCompute"), Qt::LeftButton);
    }
    std::string results_text()
    {
        return viewer.findChild<QPlainTextEdit*>("memoResults")->toPlainText().toStdString();
    }
    void return_to_worksheet()
    {
        QTest::mouseClick(viewer.findChild<QPushButton*>("cmdReturn"), Qt::LeftButton);
    }
    // The worksheet stays up, the viewer down and empty, and the message and focus are these.
    void expect_refused(const std::vector<Message>& messages, int focused_box)
    {
        EXPECT_EQ(desktop.messages, messages);
        EXPECT_TRUE(worksheet.isVisible());
        EXPECT_FALSE(viewer.isVisible());
        EXPECT_EQ(results_text(), "");
        if (focused_box) {
            EXPECT_EQ(worksheet.focusWidget(), box(focused_box));
            // All selected, so that the next key typed replaces the refused value.
            EXPECT_EQ(box(focused_box)->selectedText(), box(focused_box)->text());
        }
        desktop.messages.clear();
    }

    const fs::path saved_path = fs::path(testing::TempDir()) / "compute_window_Vornak.txt";
    ScriptedDesktop desktop;
    ui::TfrmTemplate worksheet{desktop};
    ui::TfrmTemplateResults viewer{desktop, &worksheet};
};

TEST_F(Program, EachMethodPutsItsReportInTheViewerInPlaceOfTheWorksheet)
{
    for (const stats::IntervalMethodEntry& method : stats::interval_methods) {
        const std::string name(method.command_line_name);
        choose_method(worksheet, method.method);
        type_values("0", "30", "250");
        compute();
        EXPECT_TRUE(viewer.isVisible());
        EXPECT_FALSE(worksheet.isVisible());
        EXPECT_EQ(viewer.windowTitle().toStdString(),
                  std::string("Results viewer: ") + norms::TitleLine);
        EXPECT_EQ(results_text(), expected_report(name)) << name;
        EXPECT_TRUE(desktop.messages.empty());
        QTest::mouseClick(viewer.findChild<QPushButton*>("cmdClearResults"), Qt::LeftButton);
        return_to_worksheet();
    }
    EXPECT_EQ(file_content(saved_path), "0 30 250      ");
}

TEST_F(Program, ASecondRunAppendsItsReportAfterALineOfHyphensAndShowsItFromItsFirstLine)
{
    auto* memo = viewer.findChild<QPlainTextEdit*>("memoResults");
    const auto first_visible_line = [&] { return memo->cursorForPosition({0, 0}).blockNumber(); };
    type_values("0", "30", "250");
    compute();
    EXPECT_EQ(first_visible_line(), 0);
    return_to_worksheet();
    EXPECT_TRUE(worksheet.isVisible());
    EXPECT_EQ(box(3)->text(), "250");
    compute();
    const std::string report = expected_report("bayesian");
    EXPECT_EQ(results_text(), report + "\n" + std::string(36, '-') + "\n" + report);

    // The report is longer than the box holds; its first line comes after the hyphens.
    const int second_report_start = memo->blockCount() / 2 + 1;
    ASSERT_GT(memo->blockCount() / 2, memo->height() / memo->fontMetrics().height());
    EXPECT_EQ(first_visible_line(), second_report_start);
    EXPECT_EQ(memo->textCursor().position(),
              memo->document()->findBlockByNumber(second_report_start).position());
}

TEST_F(Program, RefusedValuesStopTheRunWithTheirMessageAndTheFocusInTheBoxToCorrect)
{
    type_values("", "30", "250");
    compute();
    expect_refused({{"Warning", "INPUT ERROR\r\r(  Minimum legitimate raw score:  )\r\r"
                                "Data have not been entered in this field."}},
                   1);
    type_values("0", "3-0", "250");
    compute();
    expect_refused({{"Warning", "INPUT ERROR\r(  Maximum legitimate raw score:  3-0  )\r\r"
                                "Enter numeric data only."}},
                   2);
    type_values("0", "30", "..");
    compute();
    expect_refused({{"Warning", "INPUT ERROR\r(  Total sample size (n) for the normative "
                                "sample:  ..  )\r\rEnter numeric data only."}},
                   3);
    type_values("0", "30", "2");
    compute();
    expect_refused({{"Warning", "INPUT ERROR\r(  Total sample size (n) for the normative "
                                "sample:  2.000  )\rThe value for sample size must be an "
                                "integer greater than 2."}},
                   3);
    QTest::keyClicks(box(3), "9");
    EXPECT_EQ(box(3)->text(), "9");
    // None of these reached the saved file or the dialog.
    EXPECT_FALSE(fs::exists(saved_path));
    EXPECT_TRUE(desktop.dialogs_seen.empty());
    desktop.open_answers.clear();
}

TEST_F(Program, FileStepFailuresComeAfterTheValuesAreSaved)
{
    type_values("0", "200", "250");
    compute(std::nullopt);
    desktop.open_answers.clear();
    expect_refused({{"Error", " Based on the minimum and maximum scores you provided, there are "
                              "over 200 different raw score values: The maximum allowed is 200. "}},
                   1);
    EXPECT_EQ(file_content(saved_path), "0 200 250      ");

    type_values("0", "30", "250");
    compute(std::nullopt);
    expect_refused({}, 1);
    EXPECT_EQ(desktop.dialogs_seen.back().filter, "Text files only|*.txt");
    EXPECT_TRUE(desktop.dialogs_seen.back().file_must_exist);

    type_values("1", "30", "250");
    compute();
    expect_refused({{"Error", " The first entry in column one of the data file ( 0) does not "
                              "match the value you entered as the minimum raw score on the form "
                              "(  1). Check your data and re-run. "}},
                   1);
    type_values("0", "30", "251");
    compute();
    expect_refused({{"Error", " The sum of the frequencies in column two of the data file (250) "
                              "does not equal the sample size you entered on the form (251). "
                              "Check your data and re-run. "}},
                   1);
    EXPECT_EQ(file_content(saved_path), "0 30 251      ");
    // The dialog proposes the file chosen at the previous run.
    EXPECT_EQ(desktop.dialogs_seen.back().file_name, example.string());
}

TEST_F(Program, AFileThatCannotBeReadShowsTheErrorBoxAndChangesNeitherWindow)
{
    type_values("0", "30", "250");
    compute();
    return_to_worksheet();
    const std::string first_report = results_text();
    desktop.messages.clear();

    const fs::path vanished = fs::path(testing::TempDir()) / "vanished_norms.txt";
    fs::remove(vanished);
    QTest::keyClicks(worksheet.findChild<QPlainTextEdit*>("memoComments"), "group B");
    compute(vanished.string());
    EXPECT_EQ(desktop.messages, std::vector<Message>({{"Failure", "File not found"}}));
    EXPECT_TRUE(worksheet.isVisible());
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_EQ(results_text(), first_report);
    EXPECT_EQ(worksheet.findChild<QPlainTextEdit*>("memoComments")->toPlainText(), "group B");
    EXPECT_EQ(box(1)->text(), "0");
}

}  // namespace
