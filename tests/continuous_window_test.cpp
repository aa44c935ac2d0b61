// The study window's Continuous mode against vornak-batch continuous on the same file and
// choices: every shown cell, the outputs, a model file opened without data; and its runner,
// which redoes only the steps a choice touches and stops a search that is no longer wanted.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <map>
#include <variant>

#include <gtest/gtest.h>

#include "norms/tables/continuous_model_file.hpp"
#include "norms/count/score_grid.hpp"
#include "tests/support/batch_outcome.hpp"
#include "tests/support/scripted_desktop.hpp"
#include "tests/support/temp_files.hpp"
#include "ui/chart_canvas.hpp"
#include "ui/chart_picture.hpp"
#include "ui/continuous_panel.hpp"
#include "ui/continuous_runner.hpp"
#include "ui/norms_table_model.hpp"
#include "ui/study_window.hpp"

namespace {

const std::string vocabulary = std::string(VORNAK_SOURCE_DIR) + "/examples/vocabulary_by_age.csv";

QStringList lines_of(const std::string& text)
{
    return QString::fromStdString(text).split('\n', Qt::SkipEmptyParts);
}

class ContinuousMode : public testing::Test {
protected:
    ContinuousMode()
    {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.loadFile(QString::fromStdString(vocabulary));
        settle();
        find<QSpinBox>("spnMin").setValue(0);
        find<QSpinBox>("spnMax").setValue(50);
        // Most tests here are the Taylor polynomial's; the tab starts with the batch's default.
        starting_family = find<QComboBox>("cboFamily").currentIndex();
        find<QComboBox>("cboFamily").setCurrentIndex(ui::taylor_item);
        find<QTabWidget>("tabMode").setCurrentIndex(1);
        settle();
    }

    void settle() { ASSERT_TRUE(QTest::qWaitFor([&] { return window.idle(); }, 60000)); }

    template <class Widget>
    Widget& find(const char* name)
    {
        auto* widget = window.findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return *widget;
    }
    void type(const char* box, const QString& text)
    {
        find<QLineEdit>(box).setText(text);
        emit find<QLineEdit>(box).textEdited(text);
        settle();
    }
    QAbstractItemModel& table() { return *find<QTableView>("tblContinuous").model(); }

    // The shown cells as the CSV's lines: each column's full value under the CSV's name for it.
    QStringList shown_as_csv(const QString& norm = "T")
    {
        const std::map<QString, int> csv_column = {
            {"Age", 0}, {"Raw score", 1}, {norm, 2}, {"PR", 3},
            {norm + " 95% lower", 4}, {norm + " 95% upper", 5}, {norm + " 90% lower", 6}, {norm + " 90% upper", 7},
            {"PR 95% lower", 8}, {"PR 95% upper", 9}, {"PR 90% lower", 10}, {"PR 90% upper", 11}};
        QStringList lines;
        for (int row = 0; row < table().rowCount(); ++row) {
            QStringList fields(table().columnCount());
            for (int column = 0; column < table().columnCount(); ++column) {
                const QString title = table().headerData(column, Qt::Horizontal).toString();
                EXPECT_TRUE(csv_column.contains(title)) << title.toStdString();
                fields[csv_column.at(title)] = table().index(row, column).data(ui::NormsTableModel::CsvValueRole).toString();
            }
            lines << fields.join(',');
        }
        return lines;
    }

    static Outcome continuous(const std::vector<std::string>& choices, const std::vector<std::string>& outputs = {"--csv"})
    {
        std::vector<std::string> arguments = {"continuous", "--score", "raw"};
        if (std::ranges::find(choices, "--family") == choices.end() && std::ranges::find(choices, "--model") == choices.end())
            arguments.insert(arguments.end(), {"--family", "taylor"});
        arguments.insert(arguments.end(), choices.begin(), choices.end());
        arguments.insert(arguments.end(), outputs.begin(), outputs.end());
        arguments.insert(arguments.end(), {"0", "50", vocabulary});
        return batch(arguments);
    }
    // A workbook's sheets, strings and styles: all but the file's own creation time.
    static QByteArray sheets(const QString& workbook)
    {
        QProcess unzip;
        unzip.start("unzip", {"-p", workbook, "xl/*"});
        EXPECT_TRUE(unzip.waitForFinished());
        return unzip.readAllStandardOutput();
    }
    static QStringList csv_rows(const Outcome& outcome)
    {
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        QStringList lines = lines_of(outcome.out);
        lines.removeFirst();
        return lines;
    }

    int starting_family = -1;
    QTemporaryDir dir;
    QSettings settings{dir.filePath("study.ini"), QSettings::IniFormat};
    ScriptedDesktop desktop;
    ui::StudyWindow window{desktop, settings};
};

}  // namespace

TEST_F(ContinuousMode, EveryShownCellIsWhatTheBatchPrintsForTheSameChoices)
{
    // Proposed: the variable "age", its windows one year wide, T scores and a table at the round
    // age in the middle of the sample's.
    EXPECT_EQ(find<QComboBox>("cboAge").currentText(), "age");
    EXPECT_TRUE(find<QRadioButton>("radRankWindows").isChecked());
    EXPECT_EQ(find<QLineEdit>("txtAges").text(), "11");
    EXPECT_EQ(find<QLabel>("lblCases").text(), "1288 used; 12 cases skipped for a missing score or age");
    const std::vector<std::string> windows = {"--age", "age", "--width", "1"};
    type("txtAges", "8, 12");
    ASSERT_EQ(table().rowCount(), 2 * 51);
    const auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> choices = windows;
        choices.insert(choices.end(), more.begin(), more.end());
        return choices;
    };
    EXPECT_EQ(shown_as_csv(), csv_rows(continuous(with({"--ages", "8,12"}))));

    // The cells show what the report prints.
    QStringList report_rows;
    for (const QString& line : lines_of(continuous(with({"--ages", "8,12"}), {}).out))
        if (line.contains(QRegularExpression("^ +\\d+ +[<>]?\\d+\\.\\d +[<>]?[\\d.]+$")))
            report_rows << line.simplified();
    QStringList shown_rows;
    for (int row = 0; row < table().rowCount(); ++row)
        shown_rows << table().index(row, 1).data().toString() + " " + table().index(row, 2).data().toString() + " " +
                          table().index(row, 3).data().toString();
    EXPECT_EQ(shown_rows, report_rows);

    // Other powers refit; a click on the search's chart takes that number of terms.
    find<QSpinBox>("spnK").setValue(4);
    find<QSpinBox>("spnT").setValue(2);
    settle();
    EXPECT_EQ(shown_as_csv(), csv_rows(continuous(with({"--k", "4", "--t", "2", "--ages", "8,12"}))));
    auto& search = find<ui::ChartCanvas>("chtSearch");
    const norms::ChartPoint third = search.chart().points.at(2);
    QTest::mouseClick(&search, Qt::LeftButton, {},
                      ui::ChartPosition(search.chart(), ui::ChartPlotArea(search.rect()), third.score, third.pr)
                          .toPoint());
    settle();
    EXPECT_TRUE(find<QRadioButton>("radTerms").isChecked());
    EXPECT_EQ(find<QSpinBox>("spnTerms").value(), 3);
    EXPECT_EQ(shown_as_csv(), csv_rows(continuous(with({"--k", "4", "--t", "2", "--terms", "3", "--ages", "8,12"}))));

    // Ranked within groups on another scale, with the bootstrap's intervals.
    find<QRadioButton>("radRankGroups").setChecked(true);
    find<QComboBox>("cboRankGroup").setCurrentText("age_group");
    find<QComboBox>("cboContinuousScale").setCurrentText("standard score (IQ scale) (IQ)");
    find<QSpinBox>("spnBootstrap").setValue(40);
    find<QSpinBox>("spnSeed").setValue(7);
    settle();
    const std::vector<std::string> grouped = {"--group", "age_group", "--age", "age", "--k", "4", "--t", "2",
                                              "--terms", "3", "--scale", "IQ", "--bootstrap", "40", "--seed", "7"};
    std::vector<std::string> at_ages = grouped;
    at_ages.insert(at_ages.end(), {"--ages", "8,12"});
    ASSERT_EQ(table().columnCount(), 12);
    EXPECT_EQ(shown_as_csv("IQ"), csv_rows(continuous(at_ages)));
    // Another age takes its limits from the resamples drawn already, as the batch draws them.
    find<QSlider>("sldAge").setValue(0);
    settle();
    EXPECT_EQ(find<QLineEdit>("txtAges").text(), "4.1");
    at_ages.back() = "4.1";
    EXPECT_EQ(shown_as_csv("IQ"), csv_rows(continuous(at_ages)));

    // An age beyond the sample's is said beside the box, and the table stays.
    type("txtAges", "20");
    EXPECT_EQ(find<QLabel>("lblAgeProblem").text(),
              "Age 20 lies outside the norm sample's ages, 4.01 to 16.99; the model does not extrapolate.");
    EXPECT_EQ(table().index(0, 0).data().toString(), "4.1");
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(ContinuousMode, OutputsAreTheBatchsFiles)
{
    type("txtAges", "9.5");
    const std::vector<std::string> choices = {"--age", "age", "--width", "1", "--ages", "9.5"};
    const QString csv = dir.filePath("norms.csv");
    const QString model = dir.filePath("model.json");
    const QString from_window = dir.filePath("window.xlsx");
    const QString picture = dir.filePath("curves.svg");
    desktop.save_answers = {csv.toStdString(), model.toStdString(), from_window.toStdString(),
                            picture.toStdString()};
    for (const char* command : {"mnuExportCsv", "mnuSaveModel", "mnuExportExcel", "mnuSaveChart"})
        find<QAction>(command).trigger();
    ASSERT_TRUE(desktop.messages.empty()) << desktop.messages.front().text;
    EXPECT_EQ(desktop.dialogs_seen[0].file_name, "vocabulary_by_age_continuous.csv");
    EXPECT_EQ(file_content(csv.toStdString()), continuous(choices).out);

    const std::string batch_model = dir.filePath("batch_model.json").toStdString();
    const std::string batch_workbook = dir.filePath("batch.xlsx").toStdString();
    const Outcome saved = continuous(choices, {"--save-model", batch_model, "--xlsx", batch_workbook});
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(file_content(model.toStdString()), file_content(batch_model));
    EXPECT_TRUE(sheets(from_window).contains("Age 9.5"));
    EXPECT_EQ(sheets(from_window), sheets(QString::fromStdString(batch_workbook)));
    const std::string svg = file_content(picture.toStdString());
    EXPECT_EQ(QString::fromStdString(svg).count("<circle"), 1288 + 1) << "every case used, and the legend's";

    find<QAction>("mnuCopy").trigger();
    const QStringList copied = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(copied.size(), 52);
    EXPECT_EQ(copied[0], "Age\tRaw score\tT\tPR");
    EXPECT_EQ(copied[22], "9.5\t21\t" + table().index(21, 2).data().toString() + "\t" +
                              table().index(21, 3).data().toString());

    // The commands take the mode shown: the norms tables' again on their page.
    find<QTabWidget>("tabMode").setCurrentIndex(0);
    EXPECT_FALSE(find<QAction>("mnuSaveModel").isEnabled());
    EXPECT_TRUE(find<QAction>("mnuExportCsv").isEnabled());
}

TEST_F(ContinuousMode, AModelFileGivesItsTablesAndCurvesWithoutData)
{
    const std::string model = dir.filePath("iq.json").toStdString();
    ASSERT_EQ(continuous({"--age", "age", "--width", "1", "--scale", "IQ"}, {"--save-model", model}).status, 0);
    find<QTabWidget>("tabMode").setCurrentIndex(0);
    desktop.open_answers = {model};
    find<QAction>("mnuOpenModel").trigger();
    settle();
    EXPECT_EQ(find<QTabWidget>("tabMode").currentIndex(), 1);
    EXPECT_EQ(find<QLabel>("lblContinuousData").text(), "model file iq.json, without data");
    EXPECT_FALSE(find<QComboBox>("cboAge").isVisibleTo(&window));
    // The model's raw scores at first; the test's whole range asked for.
    EXPECT_EQ(find<QSpinBox>("spnContinuousMin").value(), 0);
    find<QSpinBox>("spnContinuousMax").setValue(50);
    type("txtAges", "6,13.25");
    const Outcome batch_tables = batch({"continuous", "--model", model, "--ages", "6,13.25", "--csv", "0", "50"});
    EXPECT_EQ(shown_as_csv("IQ"), csv_rows(batch_tables));
    const norms::ChartModel& curves = find<ui::ChartCanvas>("chtCurves").chart();
    EXPECT_TRUE(curves.scatter.empty());
    EXPECT_EQ(curves.lines.size(), 7u);

    const QString again = dir.filePath("again.json");
    desktop.save_answers = {again.toStdString()};
    find<QAction>("mnuSaveModel").trigger();
    EXPECT_EQ(file_content(again.toStdString()), file_content(model));
    EXPECT_TRUE(desktop.messages.empty());
}

// The beta-binomial family beside the Taylor polynomial: the number of items proposed from the
// test's highest raw score, and every cell, with the degrees by BIC or fixed and with the
// bootstrap's limits, what vornak-batch continuous --family betabinomial prints; its CSV and its
// model file are the batch's.
TEST_F(ContinuousMode, TheBetaBinomialFamilyGivesTheBatchsCellsAndFiles)
{
    find<QComboBox>("cboFamily").setCurrentIndex(1);
    settle();
    EXPECT_EQ(find<QSpinBox>("spnItems").value(), 50);
    EXPECT_FALSE(find<QSpinBox>("spnK").isEnabled());
    EXPECT_EQ(find<QLineEdit>("txtAges").text(), "11");
    type("txtAges", "8, 12");
    ASSERT_EQ(table().rowCount(), 2 * 51);
    std::vector<std::string> choices = {"--family", "betabinomial", "--items", "50", "--age", "age", "--ages", "8,12"};
    EXPECT_EQ(shown_as_csv(), csv_rows(continuous(choices)));

    find<QSpinBox>("spnAlphaDegree").setValue(2);
    find<QSpinBox>("spnBetaDegree").setValue(1);
    find<QSpinBox>("spnBootstrap").setValue(20);
    find<QSpinBox>("spnSeed").setValue(3);
    settle();
    choices.insert(choices.end(), {"--alpha-degree", "2", "--beta-degree", "1", "--bootstrap", "20", "--seed", "3"});
    ASSERT_EQ(table().columnCount(), 12);
    EXPECT_EQ(shown_as_csv(), csv_rows(continuous(choices)));
    EXPECT_EQ(find<ui::ChartCanvas>("chtCurves").chart().lines.size(), 7u);

    const QString csv = dir.filePath("norms.csv");
    const QString model = dir.filePath("model.json");
    const QString workbook = dir.filePath("norms.xlsx");
    desktop.save_answers = {csv.toStdString(), model.toStdString(), workbook.toStdString()};
    for (const char* command : {"mnuExportCsv", "mnuSaveModel", "mnuExportExcel"})
        find<QAction>(command).trigger();
    ASSERT_TRUE(desktop.messages.empty()) << desktop.messages.front().text;
    const QByteArray parts = sheets(workbook);
    EXPECT_TRUE(parts.contains("Age 8") && parts.contains("Age 12") && parts.contains("log alpha, x^2"));
    EXPECT_EQ(file_content(csv.toStdString()), continuous(choices).out);
    const std::string batch_model = dir.filePath("batch_model.json").toStdString();
    ASSERT_EQ(continuous(choices, {"--save-model", batch_model}).status, 0);
    EXPECT_EQ(file_content(model.toStdString()), file_content(batch_model));

    // An age beyond the sample's is extrapolated and said so beside the box; fewer items than the
    // scores are refused with the batch's message, naming the first score above them.
    type("txtAges", "20");
    EXPECT_EQ(find<QLabel>("lblAgeProblem").text(),
              "Age 20 lies outside the norm sample's ages, 4.01 to 16.99; its norms are extrapolated.");
    EXPECT_EQ(table().index(0, 0).data().toString(), "20");
    find<QSpinBox>("spnItems").setValue(40);
    settle();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "vocabulary_by_age.csv: line 293, column \"raw\": \"42\" is not a whole "
                                        "number from 0 to 40");
    desktop.messages.clear();
    find<QSpinBox>("spnItems").setValue(50);
    type("txtAges", "8,12");

    // Back to the Taylor polynomial: its tables again, with the same bootstrap.
    find<QComboBox>("cboFamily").setCurrentIndex(0);
    settle();
    EXPECT_EQ(shown_as_csv().join('\n'), csv_rows(continuous({"--age", "age", "--width", "1", "--ages", "8,12",
                                                               "--bootstrap", "20", "--seed", "3"}))
                                              .join('\n'));
}

// The best family: every cell, with and without the bootstrap's limits and whichever family wins,
// is what vornak-batch continuous --family best prints, and the family's lines are the report's;
// its CSV is the batch's, and the outputs the batch does not write yet are refused.
TEST_F(ContinuousMode, TheBestFamilyGivesTheBatchsCellsAndLines)
{
    // The tab starts with the family vornak-batch continuous takes without --family.
    EXPECT_EQ(starting_family, ui::best_family_item);
    auto& family = find<QComboBox>("cboFamily");
    family.setCurrentIndex(ui::best_family_item);
    EXPECT_EQ(family.currentText(), "best: least held-out error");
    EXPECT_TRUE(find<QSpinBox>("spnK").isEnabled());
    EXPECT_FALSE(find<QRadioButton>("radTerms").isEnabled());
    EXPECT_FALSE(find<QSpinBox>("spnItems").isEnabled());
    EXPECT_FALSE(find<QSpinBox>("spnContinuousStep").isEnabled());
    EXPECT_EQ(find<QLineEdit>("txtAges").text(), "11");
    type("txtAges", "8, 12");
    ASSERT_EQ(table().rowCount(), 2 * 51);
    const auto best = [](std::vector<std::string> more) {
        std::vector<std::string> choices = {"--family", "best", "--ages", "8,12"};
        choices.insert(choices.end(), more.begin(), more.end());
        return choices;
    };
    // The family's lines close the model's notes as they close the report.
    const auto family_lines = [](const Outcome& report) {
        const std::string& text = report.out;
        return QString::fromStdString(text.substr(text.find(" Family: "))).trimmed();
    };
    const auto shown_notes = [&] { return find<QPlainTextEdit>("txtModel").toPlainText(); };

    const std::vector<std::string> windows = best({"--age", "age", "--width", "1"});
    EXPECT_EQ(shown_as_csv(), csv_rows(continuous(windows)));
    const QString windows_lines = family_lines(continuous(windows, {}));
    EXPECT_TRUE(shown_notes().endsWith(windows_lines));

    // Ranked within the age groups, the groups' ages as the model's: another family wins.
    find<QComboBox>("cboAge").setCurrentText("(none)");
    find<QRadioButton>("radRankGroups").setChecked(true);
    find<QComboBox>("cboRankGroup").setCurrentText("age_group");
    type("txtAges", "8,12");
    const std::vector<std::string> grouped = best({"--group", "age_group"});
    EXPECT_EQ(shown_as_csv(), csv_rows(continuous(grouped)));
    const QString grouped_lines = family_lines(continuous(grouped, {}));
    EXPECT_TRUE(shown_notes().endsWith(grouped_lines));
    EXPECT_NE(grouped_lines, windows_lines);

    // With the bootstrap's limits, on another scale.
    find<QComboBox>("cboContinuousScale").setCurrentText("standard score (IQ scale) (IQ)");
    find<QSpinBox>("spnBootstrap").setValue(10);
    find<QSpinBox>("spnSeed").setValue(3);
    settle();
    std::vector<std::string> with_limits = grouped;
    with_limits.insert(with_limits.end(), {"--scale", "IQ", "--bootstrap", "10", "--seed", "3"});
    ASSERT_EQ(table().columnCount(), 12);
    const Outcome limits_csv = continuous(with_limits);
    EXPECT_EQ(shown_as_csv("IQ"), csv_rows(limits_csv));

    const QString csv = dir.filePath("norms.csv");
    desktop.save_answers = {csv.toStdString()};
    find<QAction>("mnuExportCsv").trigger();
    EXPECT_EQ(file_content(csv.toStdString()), limits_csv.out);

    // Back to the Taylor polynomial: its own terms again.
    family.setCurrentIndex(ui::taylor_item);
    settle();
    EXPECT_TRUE(find<QRadioButton>("radTerms").isEnabled());
    EXPECT_EQ(shown_as_csv("IQ").join('\n'),
              csv_rows(continuous({"--group", "age_group", "--ages", "8,12", "--scale", "IQ", "--bootstrap", "10",
                                   "--seed", "3"}))
                  .join('\n'));
    EXPECT_FALSE(shown_notes().contains(" Family: "));
    EXPECT_TRUE(desktop.messages.empty());
}

// Growth that no smooth model follows: the groups' own norms win, the tab shows their cells and
// curves, its workbook is the batch's, and no model file holds them.
TEST_F(ContinuousMode, TheGroupsOwnNormsWinWhereNoModelFollowsTheGrowth)
{
    std::string data = "group,score\n";
    const int middles[] = {2, 3, 6, 14, 22, 25, 26};
    for (int group = 1; group <= 7; ++group)
        for (int k = 0; k < 300; ++k) {
            const int spread = static_cast<int>(std::floor(group * (k * 7 % 25 - 12) / 6.0));
            data += std::to_string(group) + "," + std::to_string(std::clamp(middles[group - 1] + spread, 0, 30)) + "\n";
        }
    const std::string path = write_temp_file("growth.csv", data);
    find<QTabWidget>("tabMode").setCurrentIndex(0);
    window.loadFile(QString::fromStdString(path));
    settle();
    find<QSpinBox>("spnMin").setValue(0);
    find<QSpinBox>("spnMax").setValue(30);
    find<QTabWidget>("tabMode").setCurrentIndex(1);
    find<QComboBox>("cboFamily").setCurrentIndex(ui::best_family_item);
    settle();
    EXPECT_EQ(find<QLineEdit>("txtAges").text(), "4");
    EXPECT_EQ(table().rowCount(), 31);
    type("txtAges", "2,5.5");
    const std::vector<std::string> choices = {"continuous", "--score", "score", "--group", "group", "--family", "best",
                                              "--ages", "2,5.5"};
    const auto run = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"0", "30", path});
        return batch(arguments);
    };
    std::vector<std::string> csv = choices;
    csv.push_back("--csv");
    EXPECT_EQ(shown_as_csv(), csv_rows(run(csv)));
    const std::string report = run(choices).out;
    EXPECT_TRUE(find<QPlainTextEdit>("txtModel").toPlainText().endsWith(
        QString::fromStdString(report.substr(report.find(" Family: "))).trimmed()));
    EXPECT_TRUE(report.find("Chosen: the ranking groups' own norms") != std::string::npos);
    const norms::ChartModel& curves = find<ui::ChartCanvas>("chtCurves").chart();
    EXPECT_TRUE(curves.title.starts_with("The ranking groups' own norms"));
    EXPECT_FALSE(curves.lines.empty());
    EXPECT_FALSE(curves.scatter.empty());

    // The workbook is the batch's: the groups' cells and the family rows.
    const QString from_window = dir.filePath("window.xlsx");
    const std::string from_batch = dir.filePath("batch.xlsx").toStdString();
    desktop.save_answers = {from_window.toStdString()};
    find<QAction>("mnuExportExcel").trigger();
    ASSERT_TRUE(desktop.messages.empty()) << desktop.messages.front().text;
    std::vector<std::string> with_workbook = choices;
    with_workbook.insert(with_workbook.end(), {"--xlsx", from_batch});
    ASSERT_EQ(run(with_workbook).status, 0);
    EXPECT_TRUE(sheets(from_window).contains("Family choice"));
    EXPECT_EQ(sheets(from_window), sheets(QString::fromStdString(from_batch)));

    find<QAction>("mnuSaveModel").trigger();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text,
              "The ranking groups' own norms have no model file: no model improves on them here.");
}

// Scores with one decimal: the rows go from MIN to MAX by the step, at first the scores' finest,
// as vornak-batch continuous --step makes them; a step MAX does not lie on is refused beside it.
TEST_F(ContinuousMode, RowsGoByTheStepAsTheBatchMakesThem)
{
    std::string data = "age,score\n";
    for (int i = 0; i < 61 * 41; ++i) {
        const int age = 60 + i % 61;                    // tenths: 6.0 to 12.0
        const int score = 100 + 2 * age + i * 37 % 41;  // tenths: 22.0 to 38.0
        data += norms::ScoreUnitsText(age, 1) + "," + norms::ScoreUnitsText(score, 1) + "\n";
    }
    const std::string path = write_temp_file("decimal_scores.csv", data);
    find<QTabWidget>("tabMode").setCurrentIndex(0);
    window.loadFile(QString::fromStdString(path));
    settle();
    find<QTabWidget>("tabMode").setCurrentIndex(1);
    settle();
    EXPECT_EQ(find<QLabel>("lblContinuousData").text(),
              "decimal_scores.csv, score score, raw scores 22.0 to 38.0 (chosen beside the norms tables)");
    auto& step = find<QSpinBox>("spnContinuousStep");
    EXPECT_EQ(step.text(), "0.1");
    type("txtAges", "9.5");
    const auto by_step = [&](const std::string& s) {
        return csv_rows(batch({"continuous", "--score", "score", "--age", "age", "--width", "1", "--ages", "9.5",
                               "--step", s, "--csv", "22.0", "38.0", path}));
    };
    ASSERT_EQ(table().rowCount(), 161);
    EXPECT_EQ(table().index(1, 1).data().toString(), "22.1");
    EXPECT_EQ(shown_as_csv(), by_step("0.1"));

    step.setValue(5);
    settle();
    ASSERT_EQ(table().rowCount(), 33);
    EXPECT_EQ(shown_as_csv(), by_step("0.5"));

    step.setValue(3);
    settle();
    const auto refused = norms::ParseScoreGrid("22.0", "38.0", "0.3");
    ASSERT_TRUE(std::holds_alternative<std::string>(refused));
    EXPECT_EQ(find<QLabel>("lblContinuousProblem").text().toStdString(), std::get<std::string>(refused));
    EXPECT_EQ(table().rowCount(), 33) << "the last good table stays";
    EXPECT_TRUE(desktop.messages.empty());
}

namespace {

// The runner on its own, with the steps each request starts.
class Runner : public testing::Test {
protected:
    Runner()
    {
        norms::StudyProgress progress;
        file = norms::SurveyStudyFile(vocabulary, progress);
        QObject::connect(&runner, &ui::ContinuousRunner::statusChanged, [this](const QString& status) {
            if (!status.isEmpty())
                steps << status;
        });
        choices.layout = {"raw", "age", "", 0, 50};
        choices.model.window_width = 1;
        choices.ages = {8};
        runner.set_file(file);
    }

    QStringList run()
    {
        steps.clear();
        runner.request(choices);
        EXPECT_TRUE(QTest::qWaitFor([&] { return runner.idle(); }, 60000));
        return steps;
    }

    norms::StudyFile file;
    ui::ContinuousRunner runner;
    ui::ContinuousChoices choices;
    QStringList steps;
};

}  // namespace

TEST_F(Runner, AChoiceRedoesOnlyTheStepsThatDependOnIt)
{
    const QString cases = "Taking the cases...";
    const QString fit = "Searching the models...";
    const QString resamples = "Drawing the bootstrap resamples...";
    const QString tables = "Making the tables...";
    EXPECT_EQ(run(), QStringList({cases, fit, tables}));
    choices.ages = {9.25};
    EXPECT_EQ(run(), QStringList({tables}));
    choices.model.scale = stats::StandardNormScales()[0];
    EXPECT_EQ(run(), QStringList({fit, tables}));
    choices.bootstrap = {20, 3, 0};
    EXPECT_EQ(run(), QStringList({resamples, tables}));
    choices.ages = {12};
    EXPECT_EQ(run(), QStringList({tables}));
    EXPECT_EQ(runner.tables()->cells.front().age, 12);
    EXPECT_TRUE(runner.tables()->cells.front().limits.has_value());
    choices.layout.age_variable = "age_group";
    choices.layout.group_variable = "";
    EXPECT_EQ(run(), QStringList({cases, fit, resamples, tables}));
}

// A search of every model of 48 candidates takes minutes; a newer request stops it, and so does
// Cancel, after which nothing starts again until the choices change.
TEST_F(Runner, ALongSearchStopsForANewerRequestAndForCancel)
{
    QSignalSpy failures(&runner, &ui::ContinuousRunner::stepFailed);
    QSignalSpy cancels(&runner, &ui::ContinuousRunner::stepCancelled);
    QSignalSpy ready(&runner, &ui::ContinuousRunner::tablesReady);
    choices.model.k = 6;
    choices.model.t = 6;
    runner.request(choices);
    ASSERT_TRUE(QTest::qWaitFor([&] { return steps.contains("Searching the models..."); }, 30000));
    QTest::qWait(200);
    choices.model.t = 2;
    EXPECT_EQ(run(), QStringList({"Searching the models...", "Making the tables..."}));
    EXPECT_EQ(runner.tables()->model.t, 2);
    EXPECT_EQ(failures.count(), 0);
    EXPECT_EQ(ready.count(), 1);

    choices.model.t = 6;
    runner.request(choices);
    QTest::qWait(300);
    runner.cancel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return runner.idle(); }, 30000));
    EXPECT_EQ(failures.count(), 0);
    ASSERT_EQ(cancels.count(), 1);
    EXPECT_EQ(cancels[0][0].value<ui::ContinuousRunner::Step>(), ui::ContinuousRunner::Step::fit);
    EXPECT_EQ(runner.tables()->model.t, 2) << "the tables from before stay";
}

// The best family is one step, which a new age makes again, and Cancel stops.
TEST_F(Runner, TheBestFamilyIsOneStepThatCancelStops)
{
    QSignalSpy cancels(&runner, &ui::ContinuousRunner::stepCancelled);
    const QString best = "Choosing the family...";
    choices.best_family = true;
    EXPECT_EQ(run(), QStringList({"Taking the cases...", best}));
    ASSERT_TRUE(runner.comparison().has_value());
    choices.ages = {9.25};
    EXPECT_EQ(run(), QStringList({best}));
    EXPECT_EQ(runner.tables() ? runner.tables()->cells.front().age : runner.beta_binomial_tables()->cells.front().age,
              9.25L);

    choices.bootstrap = {500, 3, 0};
    steps.clear();
    runner.request(choices);
    ASSERT_TRUE(QTest::qWaitFor([&] { return steps.contains(best); }, 30000));
    QTest::qWait(300);
    runner.cancel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return runner.idle(); }, 30000));
    ASSERT_EQ(cancels.count(), 1);
    EXPECT_EQ(cancels[0][0].value<ui::ContinuousRunner::Step>(), ui::ContinuousRunner::Step::tables);
}
