#include "norms/batch/batch.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "norms/write/chart_model.hpp"
#include "norms/tables/norms_table.hpp"
#include "norms/batch/continuous_batch.hpp"
#include "norms/batch/scores_batch.hpp"
#include "tests/support/batch_executable.hpp"
#include "tests/support/batch_outcome.hpp"
#include "tests/support/norms_files.hpp"

using namespace norms;

namespace {

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

std::string read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace

TEST(VornakBatch, PrintsTheReportOrTheTable)
{
    const std::string path = write_temp_file("classical.txt", classical_n3_file);
    Outcome report = batch({"--method", "classical", "--notes", "Norm group A,\nsecond line\n",
                            "0", "4", "3", path});
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.err, "");
    EXPECT_EQ(report.out, joined(classical_n3_report(path, {" User's Notes: Norm group A,",
                                                            "               second line", " "})));

    // Limits are the bisection's odd multiples of 2^-16 next to the closed-form roots.
    Outcome table = batch({"0", "4", "3", path, "--method", "classical", "--csv"});
    EXPECT_EQ(table.status, 0);
    EXPECT_EQ(table.out,
              "raw_score,frequency,below,pr,lower95,upper95,lower90,upper90\n"
              "0,0,0,0,0,0.7075958251953125,0,0.6316070556640625\n"
              "1,1,0,16.666666666666667,0,0.8679656982421875,0,0.8113861083984375\n"
              "2,1,1,50,0.0166778564453125,0.9833221435546875,0.0333404541015625,0.9666595458984375\n"
              "3,1,2,83.333333333333333,0.1320343017578125,1,0.1886138916015625,1\n"
              "4,0,3,100,0.2924041748046875,1,0.3683929443359375,1\n");

    // The default method is the Bayesian one: (3, 1, 1) gives 6.1 - 93.9 and 9.7 - 90.3.
    Outcome bayesian = batch({"0", "4", "3", path});
    EXPECT_NE(bayesian.out.find("  2                 50                6.1          93.9            "
                                "(   9.7      90.3   )\n"),
              std::string::npos);
}

TEST(VornakBatch, RefusalsAndFailuresGoToStandardErrorOnly)
{
    const std::string path = write_temp_file("classical.txt", classical_n3_file);
    const struct {
        std::vector<std::string> arguments;
        std::string err;
    } cases[] = {
        {{"", "4", "3", path},
         "INPUT ERROR\n\n(  Minimum legitimate raw score:  )\n\n"
         "Data have not been entered in this field.\n"},
        {{"-1", "199", "3", path}, std::string(TooManyRowsMessage) + "\n"},
        {{"0", "9", "3", path},
         " The last entry in column one of the data file ( 4) does not match the value you "
         "entered as the maximum raw score on the form (  9). Check your data and re-run. \n"},
        {{"0", "4", "3", write_temp_file("header.txt", "raw freq\n")}, "Invalid numeric input.\n"},
        {{"0", "4", "3", testing::TempDir()}, "File access denied.\n"},
        {{"--", "0", "4", "--1", path},
         "INPUT ERROR\n(  Total sample size (n) for the normative sample:  --1  )\n\n"
         "Enter numeric data only.\n"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = batch(c.arguments);
        EXPECT_EQ(outcome.status, 1) << c.err;
        EXPECT_EQ(outcome.err, c.err);
        EXPECT_EQ(outcome.out, "");
    }
}

TEST(VornakBatch, WrongArgumentsGiveTheReasonAndTheUsageLine)
{
    // Reasons in the parser's own words are checked for the argument they name.
    const struct {
        std::vector<std::string> arguments;
        std::string reason;
    } cases[] = {
        {{}, "MIN"},
        {{"0", "4", "3"}, "FILE"},
        {{"0", "4", "3", "f.txt", "extra"}, "extra"},
        {{"0", "4", "3", "f.txt", "--notes"}, "--notes"},
        {{"--verbose", "0", "4", "3", "f.txt"}, "--verbose"},
        {{"-csv", "0", "4", "3", "f.txt"}, "-csv"},
        {{"--method", "exact", "0", "4", "3", "f.txt"},
         "vornak-batch: --method takes bayesian, classical or mid-p\n"},
        {{"--method", "exact", "--method", "mid-p", "0", "4", "3", "f.txt"},
         "vornak-batch: --method takes bayesian, classical or mid-p\n"},
        {{"0", "4", "3", " "}, "vornak-batch: FILE takes a file name that is not blank\n"},
        {{"--plot", "chart.svg", "0", "4", "3", "f.txt"}, "--plot"},  // no chart renderer here
        {{"0", "4", "3", "f.txt", "scores"}, "scores"},
        // An argument echoed back has its control characters escaped, and stays on one line.
        {{"0", "4", "3", "f.txt", "x\x1B[2J\ny"}, "x\\x1B[2J\\x0Ay"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = batch(c.arguments);
        EXPECT_EQ(outcome.status, 2) << c.reason;
        EXPECT_TRUE(outcome.err.starts_with("vornak-batch: ")) << outcome.err;
        EXPECT_NE(outcome.err.find(c.reason), std::string::npos) << outcome.err;
        EXPECT_TRUE(outcome.err.ends_with("\n" + BatchUsage + "\n")) << outcome.err;
        EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - BatchUsage.size() - 2) << outcome.err;
        EXPECT_EQ(outcome.out, "");
    }
}

TEST(VornakBatch, OperandsAndValuesMayLookLikeOptionsOrNameAForm)
{
    // "-" is a number, an option's value is taken whatever it looks like, and only the first
    // argument names a form.
    const std::string path = write_temp_file("scores", classical_n3_file);
    const Outcome dash = batch({"0", "4", "-", path});
    EXPECT_EQ(dash.status, 1);
    EXPECT_NE(dash.err.find("The value for sample size must be an integer greater than 2."),
              std::string::npos)
        << dash.err;
    const Outcome twice = batch({"--method", "mid-p", "--method", "classical", "--notes", "--csv",
                                 "0", "4", "3", path});
    EXPECT_EQ(twice.status, 0) << twice.err;
    EXPECT_EQ(twice.out, joined(classical_n3_report(path, {" User's Notes: --csv", " "})));
}

TEST(VornakBatch, HelpForEachForm)
{
    const std::string scores_synopsis = "       vornak-batch scores " + SharedUsage;
    for (const auto& [arguments, synopsis, example] :
         {std::tuple{std::vector<std::string>{"--help"}, BatchUsage + "\n" + scores_synopsis, "vornak-batch --method"},
          {{"0", "-h"}, BatchUsage + "\n" + scores_synopsis, "vornak-batch --method"},
          {{"scores", "--help"}, ScoresUsage + "\n\n", "vornak-batch scores --group"},
          {{"scores", "-1", "-h", "--csv"}, ScoresUsage + "\n\n", "vornak-batch scores --group"},
          {{"continuous", "--help"}, ContinuousUsage + "\n\n", "vornak-batch continuous --score"}}) {
        const Outcome help = batch(arguments);
        EXPECT_EQ(help.status, 0) << arguments[0];
        EXPECT_EQ(help.err, "");
        EXPECT_TRUE(help.out.starts_with(synopsis)) << help.out;
        EXPECT_NE(help.out.find("Example:\n  " + std::string(example)), std::string::npos) << help.out;
    }
}

namespace {

// Option names, such as "--csv", in `text`; a "\-" of a manual page counts as "-".
std::set<std::string> option_names(std::string text)
{
    for (std::size_t at = 0; (at = text.find("\\-", at)) != std::string::npos;)
        text.erase(at, 1);
    std::set<std::string> names;
    const std::regex option("--[a-z-]+");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it)
        names.insert(it->str());
    return names;
}

// The names in the left column of a help text's operand and option lists.
std::set<std::string> help_option_names(const std::string& help)
{
    std::istringstream lines(help);
    std::string names;
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with("  -"))
            names += line.substr(0, line.find(' ', 2)) + " ";
    return option_names(names);
}

}  // namespace

TEST(VornakBatch, TheManualPageDescribesTheOptionsOfEachFormsHelp)
{
    const std::string page = read_file(VORNAK_SOURCE_DIR "/dist/vornak-batch.1.in");
    const std::size_t synopsis = page.find(".SH SYNOPSIS");
    const std::size_t scores = page.find(".br\n", synopsis);
    const std::size_t plan = page.find(".br\n", scores + 1);
    const std::size_t continuous = page.find(".br\n", plan + 1);
    const std::size_t saved_model = page.find(".br\n", continuous + 1);  // the continuous form's second line
    const std::size_t help = page.find(".br\n", saved_model + 1);
    ASSERT_NE(help, std::string::npos);

    std::set<std::string> described;  // the names of the entries of the option lists
    std::istringstream lines(page);
    for (std::string line, previous; std::getline(lines, line); previous = line)
        if (previous == ".TP" && line.starts_with(".B")) 
            described.merge(option_names(line));

    const auto help_of = [](const std::vector<std::string>& arguments) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunBatch(arguments, out, err, [](ChartFormat, const ChartModel&) { return std::string(); }), 0);
        return help_option_names(out.str());
    };
    std::set<std::string> first_form = help_of({"--help"});
    std::set<std::string> scores_form = help_of({"scores", "--help"});
    std::set<std::string> plan_form = help_of({"plan", "--help"});
    std::set<std::string> continuous_form = help_of({"continuous", "--help"});
    std::set<std::string> all = first_form;
    for (const std::set<std::string>* form : {&scores_form, &plan_form, &continuous_form})
        all.insert(form->begin(), form->end());
    EXPECT_EQ(all, described);
    for (std::set<std::string>* form : {&first_form, &scores_form, &plan_form, &continuous_form})
        form->erase("--help");
    first_form.erase("--version");
    EXPECT_EQ(first_form, option_names(page.substr(synopsis, scores - synopsis)));
    EXPECT_EQ(scores_form, option_names(page.substr(scores, plan - scores)));
    EXPECT_EQ(plan_form, option_names(page.substr(plan, continuous - plan)));
    EXPECT_EQ(continuous_form, option_names(page.substr(continuous, help - continuous)));
}

TEST(VornakBatch, TheExecutableTakesTheSeparatorFromTheLocale)
{
    const std::string path = write_temp_file("classical.txt", classical_n3_file);
    const Outcome german = run_executable("LC_ALL=de_DE.UTF-8", "--method classical 0 4 3 '" + path + "'");
    EXPECT_EQ(german.status, 0);
    EXPECT_NE(german.out.find("\n  4                100,0             29,2         100,0    "), std::string::npos)
        << german.out;
    const Outcome csv = run_executable("LANG=de_DE.UTF-8", "--csv 0 4 3 '" + path + "'");
    EXPECT_NE(csv.out.find("\n1,1,0,16.666666666666667,"), std::string::npos) << csv.out;
    const Outcome plain = run_executable("", "--method classical 0 4 3 '" + path + "'");
    EXPECT_NE(plain.out.find("\n  4                100.0 "), std::string::npos);

    EXPECT_EQ(run_executable("", "0 4 3 '" + path + "x'").status, 1);
    const Outcome usage = run_executable("", "0 4");
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.err, "vornak-batch: N is required\n" + BatchUsage + "\n");
}

TEST(VornakBatch, OutputThatCannotBeWrittenIsAFailure)
{
    const std::string path = write_temp_file("classical.txt", classical_n3_file);
    const std::string err = testing::TempDir() + "batch.err";
    const struct {
        std::string redirection;
        std::string message;
    } outputs[] = {{">/dev/full", "standard output: disk full.\n"},
                   {">&-", "standard output: not open.\n"}};
    for (const std::string& arguments : {std::string("--version"), "--csv 0 4 3 '" + path + "'"}) {
        for (const auto& output : outputs) {
            const std::string command = std::string("'") + VORNAK_BATCH + "' " + arguments + " " +
                                        output.redirection + " 2>'" + err + "'";
            const int status = std::system(command.c_str());
            EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << command;
            EXPECT_EQ(read_file(err), output.message) << command;
        }
    }
}

TEST(VornakBatch, ADataFileThatNeverEndsOrNeverOpensEndsTheRunAtOnce)
{
    const std::string fifo = testing::TempDir() + "no writer.txt";
    std::remove(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/zero"), fifo}) {
        const Outcome outcome = run_executable("", "0 2 10 '" + path + "'");
        EXPECT_EQ(outcome.status, 1) << path;
        EXPECT_EQ(outcome.err, "File access denied.\n") << path;
    }
    const Outcome pagemap = run_executable("", "0 2 10 /proc/self/pagemap");
    EXPECT_EQ(pagemap.status, 1);
    EXPECT_NE(pagemap.err.find("( 0) does not match"), std::string::npos) << pagemap.err;
}

TEST(VornakBatch, PlotWritesThePictureBesideTheNormalOutput)
{
    const std::string path = write_temp_file("classical.txt", classical_n3_file);
    const std::string picture = testing::TempDir() + "batch chart.svg";
    std::remove(picture.c_str());
    const Outcome plotted =
        run_executable("", "--csv --plot '" + picture + "' 0 4 3 '" + path + "'");
    EXPECT_EQ(plotted.status, 0);
    EXPECT_EQ(plotted.err, "");
    EXPECT_EQ(plotted.out, run_executable("", "--csv 0 4 3 '" + path + "'").out);
    const std::string svg = read_file(picture);
    EXPECT_TRUE(svg.starts_with("<?xml")) << svg.substr(0, 100);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);

    const Outcome unknown = run_executable("", "--plot chart.jpg 0 4 3 '" + path + "'");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "vornak-batch: --plot takes a picture name ending in .png, .svg or .pdf\n" +
                               BatchUsage + "\n");

    const Outcome unwritable =
        run_executable("", "--plot '" + testing::TempDir() + "missing/chart.png' 0 4 3 '" + path + "'");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, testing::TempDir() + "missing/chart.png: no such folder.\n");
    EXPECT_EQ(unwritable.out, "");
}

TEST(VornakBatch, CutoffsAddPosteriorProbabilitiesToTheTable)
{
    const std::string path = write_temp_file("classical.txt", classical_n3_file);
    const Outcome table = batch({"--csv", "--cutoff", "50", "--cutoff", "2.50", "0", "4", "3", path});
    EXPECT_EQ(table.status, 0);
    EXPECT_TRUE(table.out.starts_with("raw_score,frequency,below,pr,lower95,upper95,lower90,"
                                      "upper90,prob_below_50,prob_below_2.50\n"))
        << table.out;
    // At the middle score the two cases' posteriors mirror each other about 1/2, so half of
    // the mixture lies below it.
    EXPECT_NE(table.out.find("\n2,1,1,50,0.0608367919921875,0.9391632080078125,0.0973052978515625,"
                             "0.9026947021484375,0.5,"),
              std::string::npos)
        << table.out;

    const std::string needs_bayesian =
        "vornak-batch: --cutoff gives a posterior probability, which needs the Bayesian method\n";
    const std::string needs_csv = "vornak-batch: --cutoff adds columns to the table, which needs --csv or --xlsx\n";
    const std::string bad_rank =
        "vornak-batch: --cutoff takes a percentile rank between 0 and 100, such as 2.5\n";
    const struct {
        std::vector<std::string> arguments;
        std::string err;
    } refusals[] = {
        {{"--csv", "--method", "classical", "--cutoff", "5", "0", "4", "3", path}, needs_bayesian},
        {{"--cutoff", "5", "--csv", "--method", "mid-p", "0", "4", "3", path}, needs_bayesian},
        {{"--cutoff", "5", "0", "4", "3", path}, needs_csv},
        {{"--csv", "--cutoff", "0", "0", "4", "3", path}, bad_rank},
        {{"--csv", "--cutoff", "100", "0", "4", "3", path}, bad_rank},
        {{"--csv", "--cutoff", "2,5", "0", "4", "3", path}, bad_rank},
        {{"--csv", "--cutoff", "nan", "0", "4", "3", path}, bad_rank},
        {{"--csv", "--cutoff", " 5", "0", "4", "3", path}, bad_rank},
    };
    for (const auto& refusal : refusals) {
        const Outcome outcome = batch(refusal.arguments);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.err, refusal.err + BatchUsage + "\n");
        EXPECT_EQ(outcome.out, "");
    }
}

TEST(VornakBatch, TheReportShowsTheNotesAndThePathWithTheirControlCharactersEscaped)
{
    const std::string path = write_temp_file("e\x1b[31m.txt", classical_n3_file);
    const Outcome report = batch({"--method", "classical", "--notes", "red\x1b[31m\ncaf\xe9\tbar",
                                  "0", "4", "3", path});
    ASSERT_EQ(report.status, 0) << report.err;
    EXPECT_EQ(report.out, joined(classical_n3_report(testing::TempDir() + "e\\x1B[31m.txt",
                                                     {" User's Notes: red\\x1B[31m",
                                                      "               caf\\xE9\\x09bar", " "})));
}

TEST(VornakBatch, AWorkbookThatCannotBeWrittenIsNamedWithTheCause)
{
    const std::string path = write_temp_file("classical.txt", classical_n3_file);
    const std::string folder = testing::TempDir();
    for (const auto& [workbook, message] :
         {std::pair{folder + "missing/x.xlsx", folder + "missing/x.xlsx: no such folder.\n"},
          {path + "/x.xlsx", path + "/x.xlsx: not a folder.\n"}}) {
        const Outcome outcome = batch({"--xlsx", workbook, "0", "4", "3", path});
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.err, message);
        EXPECT_EQ(outcome.out, "");
    }

    // The workbook is made beside its file, not in the temporary folder, and the library that
    // writes it leaves standard error alone.
    const std::string workbook = folder + "beside.xlsx";
    std::remove(workbook.c_str());
    const Outcome beside = run_executable("TMPDIR=/proc", "--xlsx '" + workbook + "' 0 4 3 '" + path + "'");
    EXPECT_EQ(beside.status, 0);
    EXPECT_EQ(beside.err, "");
    EXPECT_TRUE(read_file(workbook).starts_with("PK"));
}

TEST(VornakBatch, FilesTakeTheirPlacesOnlyOnceStandardOutputHasTakenEverything)
{
    const std::string path = write_temp_file("classical.txt", classical_n3_file);
    const std::string workbook = testing::TempDir() + "whole.xlsx";
    const std::string picture = testing::TempDir() + "whole.png";
    const std::string kept = testing::TempDir() + "kept.svg";
    std::remove(workbook.c_str());
    std::remove(picture.c_str());
    write_temp_file("kept.svg", "old picture");
    const std::string err = testing::TempDir() + "batch.err";
    for (const std::string& arguments :
         {"--xlsx '" + workbook + "' --plot '" + picture + "' 0 4 3 '" + path + "'",
          "--plot '" + kept + "' 0 4 3 '" + path + "'",
          "plan --half-width 3 --normal 2,1 --plot '" + picture + "' 0 4"}) {
        const std::string command =
            std::string("'") + VORNAK_BATCH + "' " + arguments + " >/dev/full 2>'" + err + "'";
        const int status = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << command;
        EXPECT_EQ(read_file(err), "standard output: disk full.\n") << command;
    }
    EXPECT_FALSE(std::ifstream(workbook).good());
    EXPECT_FALSE(std::ifstream(picture).good());
    EXPECT_EQ(read_file(kept), "old picture");
    std::remove(kept.c_str());
}
