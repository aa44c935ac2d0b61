#include "norms/run/compute_run.hpp"

#include <set>
#include <utility>

#include <gtest/gtest.h>

#include "norms/program_strings.hpp"
#include "platform/failure.hpp"
#include "tests/support/norms_files.hpp"
#include "tests/support/scripted_desktop.hpp"

using namespace norms;

namespace {

struct FakeWorksheet : WorksheetView {
    explicit FakeWorksheet(ScriptedDesktop& desktop) : desktop(desktop) {}

    ScriptedDesktop& desktop;
    std::string texts[3];
    stats::IntervalMethod method = stats::IntervalMethod::bayesian;
    std::vector<std::string> notes;
    int focused = 0;
    bool hidden = false;
    int saves = 0;
    std::size_t dialogs_before_save = 0;
    bool save_fails = false;
    platform::FileDialog dialog;

    std::string input_text(int box) const override { return texts[box - 1]; }
    std::string label_caption(int box) const override { return InputCaptions[box - 1]; }
    int visible_input_count() const override { return 3; }
    stats::IntervalMethod interval_method() const override { return method; }
    std::vector<std::string> notes_lines() const override { return notes; }
    std::string notes_caption() const override { return NotesCaption; }
    void focus_input(int box) override { focused = box; }
    void hide() override { hidden = true; }
    void save_current_data() override
    {
        ++saves;
        dialogs_before_save = desktop.dialogs_seen.size();
        if (save_fails)
            throw platform::Failure("File access denied");
    }
    platform::FileDialog& open_dialog() override { return dialog; }
};

struct FakeResults : ResultsView {
    bool shown = false;
    std::string caption;
    std::vector<std::string> lines;

    void show() override { shown = true; }
    void set_caption(const std::string& text) override { caption = text; }
    bool has_lines() const override { return !lines.empty(); }
    void append_lines(const std::vector<std::string>& added) override
    {
        lines.insert(lines.end(), added.begin(), added.end());
    }
};

struct Session {
    ScriptedDesktop desktop;
    FakeWorksheet worksheet{desktop};
    FakeResults results;
    NormsRun run;

    Session(const std::string& min, const std::string& max, const std::string& n)
    {
        worksheet.texts[0] = min;
        worksheet.texts[1] = max;
        worksheet.texts[2] = n;
    }
    bool compute(std::optional<std::string> chosen_file = std::nullopt)
    {
        desktop.open_answers.push_back(chosen_file);
        return RunCompute(desktop, worksheet, results, run);
    }
};

}  // namespace

TEST(ComputeRun, AppendsTheWholeReportAndBringsUpTheResults)
{
    const std::string path = write_temp_file("classical.txt", classical_n3_file);
    Session r("0", "4", "3");
    r.worksheet.method = stats::IntervalMethod::classical;
    r.worksheet.notes = {"Norm group A,", "second line"};
    ASSERT_TRUE(r.compute(path));
    EXPECT_EQ(r.results.lines,
              classical_n3_report(path, {" User's Notes: Norm group A,",
                                         "               second line", " "}));
    EXPECT_TRUE(r.results.shown);
    EXPECT_TRUE(r.worksheet.hidden);
    EXPECT_EQ(r.results.caption, std::string("Results viewer: ") + TitleLine);
    EXPECT_EQ(r.worksheet.focused, 0);
    EXPECT_EQ(r.worksheet.saves, 1);
    EXPECT_TRUE(r.desktop.messages.empty());

    // A second report follows a line of hyphens; without notes, INPUTS follows at once.
    const std::size_t first_report = r.results.lines.size();
    r.worksheet.notes.clear();
    ASSERT_TRUE(r.compute(path));
    std::vector<std::string> second = {std::string(36, '-')};
    for (const std::string& line : classical_n3_report(path, {}))
        second.push_back(line);
    EXPECT_EQ(std::vector<std::string>(r.results.lines.begin() + first_report, r.results.lines.end()),
              second);
}

TEST(ComputeRun, UsesTheTruncatedValuesAndTheSelectedMethod)
{
    // 3.9 is used as 3; -0.5 as 0.
    const std::string path = write_temp_file("three.txt", "3 1\n4 2\n");
    std::set<std::pair<Extended, Extended>> intervals;
    for (const stats::IntervalMethodEntry& method : stats::interval_methods) {
        SCOPED_TRACE(method.command_line_name);
        Session r("3.9", "4", "3");
        r.worksheet.method = method.method;
        ASSERT_TRUE(r.compute(path));
        EXPECT_EQ(r.run.row_count, 2);
        EXPECT_EQ(r.run.method, method.method);
        const NormsRow& top = r.run.table[1];
        EXPECT_EQ(top.Below, 1);
        EXPECT_NEAR(top.PR, 200.0L / 3, 1e-15L);
        // The top row reaches the top of the range, where only the classical method's upper
        // limit is exactly 1.
        EXPECT_EQ(top.Upper95 == 1, method.method == stats::IntervalMethod::classical);
        intervals.insert({top.Lower95, top.Upper95});
    }
    EXPECT_EQ(intervals.size(), stats::interval_methods.size());
    Session r("-0.5", "1", "3");
    ASSERT_TRUE(r.compute(write_temp_file("zero.txt", "0 1\n1 2\n")));
}

TEST(ComputeRun, StopsWithTheFocusInTheBoxToCorrect)
{
    struct Case {
        const char* min;
        const char* max;
        const char* n;
        int focus;
        bool saved;
        bool dialog;
        std::string message_start;
    };
    const Case cases[] = {
        {"", "4", "3", 1, false, false, "INPUT ERROR\r\r(  Minimum legitimate raw score:  )"},
        {"0", "1,5", "3", 2, false, false, "INPUT ERROR\r(  Maximum legitimate raw score:  1,5"},
        {"0", "4", "x", 3, false, false, "INPUT ERROR\r(  Total sample size"},
        {"0", "4", "2", 3, false, false, "INPUT ERROR\r(  Total sample size (n) for the normative "
                                         "sample:  2.000  )\rThe value for sample size"},
        {"0", "200", "3", 1, true, false, TooManyRowsMessage},
        {"0", "199", "3", 1, true, true, ""},  // 200 values are accepted; the dialog is cancelled
        {"0", "4", "9", 1, true, true, " The sum of the frequencies"},
    };
    const std::string path = write_temp_file("classical.txt", classical_n3_file);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << " " << c.max << " " << c.n);
        Session r(c.min, c.max, c.n);
        const bool chooses_file = c.message_start.starts_with(" The sum");
        EXPECT_FALSE(r.compute(chooses_file ? std::optional(path) : std::nullopt));
        EXPECT_EQ(r.worksheet.focused, c.focus);
        EXPECT_EQ(r.worksheet.saves, c.saved ? 1 : 0);
        EXPECT_EQ(r.desktop.dialogs_seen.size(), c.dialog ? 1u : 0u);
        EXPECT_EQ(r.worksheet.dialogs_before_save, 0u);
        if (c.message_start.empty()) {
            EXPECT_TRUE(r.desktop.messages.empty());
        } else {
            ASSERT_EQ(r.desktop.messages.size(), 1u);
            EXPECT_EQ(r.desktop.messages[0].kind, c.saved ? "Error" : "Warning");
            EXPECT_TRUE(r.desktop.messages[0].text.starts_with(c.message_start))
                << r.desktop.messages[0].text;
        }
        EXPECT_FALSE(r.results.shown);
        EXPECT_FALSE(r.worksheet.hidden);
        EXPECT_TRUE(r.results.lines.empty());
    }
}

TEST(ComputeRun, FailuresPropagateAndLeaveTheWindowsAsTheyWere)
{
    Session unsaved("0", "4", "3");
    unsaved.worksheet.save_fails = true;
    EXPECT_THROW(unsaved.compute(), platform::Failure);
    EXPECT_TRUE(unsaved.desktop.dialogs_seen.empty());

    // Both ends beyond the largest double leave no number of raw scores at all.
    const std::string huge(400, '9');
    Session endless(huge, huge, "3");
    try {
        endless.compute();
        ADD_FAILURE() << "no failure";
    } catch (const platform::Failure& failure) {
        EXPECT_STREQ(failure.what(), "Invalid floating point operation");
    }
    EXPECT_TRUE(endless.desktop.dialogs_seen.empty());

    Session bad_number("0", "4", "3");
    EXPECT_THROW(bad_number.compute(write_temp_file("header.txt", "raw freq\n0 0\n")),
                 platform::Failure);
    EXPECT_EQ(bad_number.worksheet.focused, 0);
    EXPECT_FALSE(bad_number.results.shown);
    EXPECT_TRUE(bad_number.results.lines.empty());
}
