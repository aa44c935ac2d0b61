// The norms-study window: its tables, with a norm scale, against vornak-batch for the same file
// and choices, Copy, a bad file, and a large file read while the event loop keeps turning.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/batch_outcome.hpp"
#include "tests/support/scripted_desktop.hpp"
#include "tests/support/temp_files.hpp"
#include "norms/write/table_cells.hpp"
#include "ui/norms_table_model.hpp"
#include "ui/study_window.hpp"

namespace {

namespace fs = std::filesystem;
const std::string examples = std::string(VORNAK_SOURCE_DIR) + "/examples/";
const std::string spelling = examples + "spelling_by_age.csv";

QStringList lines_of(const std::string& text)
{
    return QString::fromStdString(text).split('\n', Qt::SkipEmptyParts);
}

class Study : public testing::Test {
protected:
    Study()
    {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void load(const std::string& path)
    {
        window.loadFile(QString::fromStdString(path));
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
    QTabWidget& tabs() { return find<QTabWidget>("tabResults"); }
    QAbstractItemModel& table(int tab)
    {
        return *qobject_cast<QTableView*>(tabs().widget(tab))->model();
    }

    // Each group tab's cells, in the order of the CSV's lines, as "group,raw_score,...": the
    // full values as the CSV prints them, with the group's name first when grouped.
    QStringList shown_as_csv(bool grouped)
    {
        QStringList csv;
        for (int tab = 0; tab + 1 < tabs().count(); ++tab) {
            QAbstractItemModel& model = table(tab);
            for (int row = 0; row < model.rowCount(); ++row) {
                QStringList fields;
                if (grouped)
                    fields << tabs().tabText(tab);
                for (int column = 0; column < model.columnCount(); ++column)
                    fields << model.index(row, column).data(ui::NormsTableModel::CsvValueRole).toString();
                csv << fields.join(',');
            }
        }
        return csv;
    }

    // The batch CSV's lines without the header and the "below" column, which the window leaves
    // out.
    static QStringList without_below(const std::string& csv, int below_column)
    {
        QStringList lines = lines_of(csv);
        lines.removeFirst();
        for (QString& line : lines) {
            QStringList fields = line.split(',');
            fields.removeAt(below_column);
            line = fields.join(',');
        }
        return lines;
    }

    QTemporaryDir dir;
    QSettings settings{dir.filePath("study.ini"), QSettings::IniFormat};
    ScriptedDesktop desktop;
    ui::StudyWindow window{desktop, settings};
};

}  // namespace

TEST_F(Study, PerPersonTablesEqualBatchAndFollowTheChoices)
{
    load(spelling);
    // Proposed from the file: its last numeric column, a column of a few values, and the range
    // the scores were observed in.
    EXPECT_EQ(find<QComboBox>("cboScore").currentText(), "raw");
    EXPECT_EQ(find<QComboBox>("cboGroup").currentText(), "age_band");
    EXPECT_EQ(find<QSpinBox>("spnMin").value(), 5);
    EXPECT_EQ(find<QSpinBox>("spnMax").value(), 25);
    find<QComboBox>("cboScore").setCurrentText("raw");
    find<QComboBox>("cboGroup").setCurrentText("age_band");
    find<QSpinBox>("spnMin").setValue(0);
    find<QSpinBox>("spnMax").setValue(30);
    settle();
    ASSERT_EQ(tabs().count(), 4);  // three age bands and the chart
    EXPECT_EQ(tabs().tabText(3), "Chart");
    const std::vector<std::string> grouped = {"scores", "--group", "age_band", "--score", "raw", "--csv"};
    const auto scores = [&](std::vector<std::string> more) {
        std::vector<std::string> arguments = grouped;
        arguments.insert(arguments.end(), more.begin(), more.end());
        return batch(arguments);
    };
    const Outcome bayesian = scores({"0", "30", spelling});
    ASSERT_EQ(bayesian.status, 0) << bayesian.err;
    EXPECT_EQ(shown_as_csv(true), without_below(bayesian.out, 3));
    EXPECT_EQ(find<QLabel>("lblMissing").text(),
              "group 8: 1 missing score skipped\ngroup 9: 1 missing score skipped\n"
              "group 10: 1 missing score skipped");

    // The cells show what the report prints: raw score, PR and the four limits in percent.
    std::vector<std::string> report_rows;
    for (const QString& line : lines_of(batch({"scores", "--group", "age_band", "--score", "raw",
                                               "0", "30", spelling}).out))
        if (QRegularExpression("^ *\\d+ +\\S+ +\\S+ +\\S+ +\\( ").match(line).hasMatch())
            report_rows.push_back(line.simplified().remove("( ").remove(" )").toStdString());
    std::vector<std::string> shown_rows;
    for (int tab = 0; tab < 3; ++tab)
        for (int row = 0; row < table(tab).rowCount(); ++row) {
            QStringList cells;
            for (int column : {0, 2, 3, 4, 5, 6})
                cells << table(tab).index(row, column).data().toString();
            shown_rows.push_back(cells.join(' ').toStdString());
        }
    EXPECT_EQ(shown_rows, report_rows);

    desktop.save_answers = {dir.filePath("by_age.csv").toStdString()};
    find<QAction>("mnuExportCsv").trigger();
    EXPECT_EQ(file_content(dir.filePath("by_age.csv").toStdString()), bayesian.out);

    find<QComboBox>("cboMethod").setCurrentText("Classical method: Mid-p variant");
    settle();
    const Outcome mid_p = scores({"--method", "mid-p", "0", "30", spelling});
    EXPECT_EQ(shown_as_csv(true), without_below(mid_p.out, 3));

    // Cut-offs come as the frequency form's columns on each group's own frequency file.
    find<QComboBox>("cboMethod").setCurrentText("Bayesian method");
    find<QLineEdit>("txtCutoffs").setText("5, 16");
    emit find<QLineEdit>("txtCutoffs").editingFinished();
    settle();
    const std::string frequencies = dir.filePath("freq").toStdString();
    ASSERT_EQ(scores({"--write-frequencies", frequencies, "0", "30", spelling}).status, 0);
    QStringList expected;
    for (const auto& [group, n] : {std::pair{"8", "97"}, {"9", "103"}, {"10", "100"}}) {
        const Outcome one = batch({"--csv", "--cutoff", "5", "--cutoff", "16", "0", "30", n,
                                   frequencies + "/" + group + ".txt"});
        for (const QString& line : without_below(one.out, 2))
            expected << QString(group) + "," + line;
    }
    EXPECT_EQ(shown_as_csv(true), expected);

    // A norm scale comes before the cut-offs, as vornak-batch --scale puts it, and is shown as
    // the norm-scales window rounds it.
    QComboBox& scale = find<QComboBox>("cboScale");
    scale.setCurrentText("T score (T)");
    settle();
    const Outcome with_t = scores({"--scale", "T", "--cutoff", "5", "--cutoff", "16", "0", "30", spelling});
    ASSERT_EQ(with_t.status, 0) << with_t.err;
    EXPECT_EQ(shown_as_csv(true), without_below(with_t.out, 3));
    norms::TableChoices t_score;
    t_score.scales = {stats::StandardNormScales()[1]};
    const norms::ShownTable manual = norms::build_shown_table(window.tables()->groups[0].run, t_score);
    for (int row = 0; row < table(0).rowCount(); ++row)
        for (int column = 0; column < 5; ++column)
            EXPECT_EQ(table(0).index(row, 7 + column).data().toString().toStdString(),
                      manual.rows[row][norms::shown_rank_columns + column].shown);
    EXPECT_EQ(table(0).headerData(7, Qt::Horizontal).toString(), "T");
    EXPECT_EQ(table(0).index(0, 8).data().toString(), "<10");  // an open lower end
    desktop.save_answers = {dir.filePath("by_age_t.csv").toStdString()};
    find<QAction>("mnuExportCsv").trigger();
    EXPECT_EQ(file_content(dir.filePath("by_age_t.csv").toStdString()), with_t.out);

    // An incomplete custom scale leaves the scale out until it is complete.
    scale.setCurrentText("custom (M, SD)");
    find<QLineEdit>("txtSD").setText("0");
    settle();
    EXPECT_EQ(table(0).columnCount(), 9);
    EXPECT_TRUE(find<QLabel>("lblCustom").isVisibleTo(&window));
    find<QLineEdit>("txtSD").setText("50");
    settle();
    const Outcome custom = scores({"--scale", "500,50", "--cutoff", "5", "--cutoff", "16", "0", "30", spelling});
    EXPECT_EQ(shown_as_csv(true), without_below(custom.out, 3));
    EXPECT_TRUE(desktop.messages.empty());

    // The next session starts with these choices.
    find<QComboBox>("cboMethod").setCurrentIndex(1);
    settle();
    ui::StudyWindow reopened{desktop, settings};
    EXPECT_EQ(reopened.findChild<QComboBox*>("cboScale")->currentText().toStdString(), "custom (M, SD)");
    EXPECT_EQ(reopened.findChild<QLineEdit*>("txtSD")->text().toStdString(), "50");
    EXPECT_EQ(reopened.findChild<QComboBox*>("cboMethod")->currentIndex(), 1);
    EXPECT_EQ(reopened.findChild<QLineEdit*>("txtCutoffs")->text().toStdString(), "5, 16");
}

TEST_F(Study, FrequencyFileTakesItsRangeAndSampleSizeAndExportsAsBatch)
{
    const std::string file = examples + "memory_test_n250.txt";
    load(file);
    EXPECT_EQ(find<QSpinBox>("spnMin").value(), 0);
    EXPECT_EQ(find<QSpinBox>("spnMax").value(), 30);
    EXPECT_EQ(find<QLabel>("lblSampleSize").text(), "250");
    ASSERT_EQ(tabs().count(), 2);
    const Outcome classical_batch = batch({"--csv", "--method", "classical", "0", "30", "250", file});
    find<QComboBox>("cboMethod").setCurrentText("Classical method");
    settle();
    EXPECT_EQ(shown_as_csv(false), without_below(classical_batch.out, 2));
    desktop.save_answers = {dir.filePath("memory.csv").toStdString()};
    find<QAction>("mnuExportCsv").trigger();
    EXPECT_EQ(file_content(dir.filePath("memory.csv").toStdString()), classical_batch.out);
}

TEST_F(Study, CopyGivesTheShownCellsOfTheSelectedRowsOrOfAll)
{
    load(examples + "memory_test_n250.txt");
    auto* view = qobject_cast<QTableView*>(tabs().widget(0));
    const auto shown_line = [&](int row) {
        QStringList cells;
        for (int column = 0; column < table(0).columnCount(); ++column)
            cells << table(0).index(row, column).data().toString();
        return cells.join('\t') + '\n';
    };
    const QString header =
        "Raw score\tFrequency\tPR\tPR 95% lower\tPR 95% upper\tPR 90% lower\tPR 90% upper\n";
    QAction& copy = find<QAction>("mnuCopy");
    copy.trigger();
    const QString all = QApplication::clipboard()->text();
    EXPECT_TRUE(all.startsWith(header + shown_line(0) + shown_line(1)));
    EXPECT_EQ(all.count('\n'), 32);

    view->selectRow(12);
    view->selectionModel()->select(view->model()->index(3, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    copy.trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), header + shown_line(3) + shown_line(12));
    EXPECT_EQ(shown_line(12), QString("12\t10\t11\t6.8\t15.8\t7.3\t15.0\n"));  // PR 10.8
}

TEST_F(Study, ABadFileLeavesThePreviousTablesAndShowsOneMessage)
{
    load(spelling);
    ASSERT_TRUE(window.tables());
    const std::string before = table(0).index(5, 2).data(ui::NormsTableModel::CsvValueRole).toString().toStdString();
    const int tab_count = tabs().count();
    // The continuous mode, once looked at, has choices of its own to redo on the next file.
    find<QTabWidget>("tabMode").setCurrentIndex(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.idle(); }, 10000));
    find<QTabWidget>("tabMode").setCurrentIndex(0);
    const std::string bad = write_temp_file("bad_scores.csv", "id,age_band,raw\n1,8,12\n2,8,1x\n3,8,4\n");
    load(bad);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].kind, "Failure");
    EXPECT_EQ(desktop.messages[0].text,
              "bad_scores.csv: line 3, column \"raw\": \"1x\" is not a whole number from 4 to 12");
    EXPECT_EQ(tabs().count(), tab_count);
    EXPECT_EQ(table(0).index(5, 2).data(ui::NormsTableModel::CsvValueRole).toString().toStdString(), before);
    EXPECT_TRUE(window.results_outdated());
    EXPECT_TRUE(find<QLabel>("lblOutdated").text().contains("spelling_by_age.csv"));
    // The continuous mode behind it waits to be shown; then it reads the file and says so itself.
    find<QTabWidget>("tabMode").setCurrentIndex(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.idle(); }, 10000));
    ASSERT_EQ(desktop.messages.size(), 2u);
    EXPECT_EQ(desktop.messages[1].text, desktop.messages[0].text);
}

TEST_F(Study, AMillionCasesLoadWhileTheEventLoopKeepsTurning)
{
    std::string rows = "id,band,score\n";
    rows.reserve(16'000'000);
    for (int i = 0; i < 1'000'000; ++i)
        rows += std::to_string(i) + ',' + std::to_string(i % 4) + ',' + std::to_string(i % 31) + '\n';
    const std::string file = write_temp_file("million.csv", rows);

    QElapsedTimer clock;
    qint64 last_tick = 0;
    qint64 longest_gap = 0;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        longest_gap = std::max(longest_gap, clock.elapsed() - last_tick);
        last_tick = clock.elapsed();
        ++ticks;
    });
    clock.start();
    timer.start(10);
    load(file);
    timer.stop();
    EXPECT_GT(ticks, 10);
    EXPECT_LT(longest_gap, 250) << "after " << clock.elapsed() << " ms";
    ASSERT_TRUE(window.tables());
    std::int64_t cases = 0;
    for (const norms::NormGroup& group : window.tables()->groups)
        cases += group.counts.size;
    EXPECT_EQ(cases, 1'000'000);
    EXPECT_EQ(tabs().count(), 5);
}

// An SPSS file reads as vornak-batch scores reads it, and Export Excel... writes its workbook.
TEST_F(Study, StatisticsFileGivesBatchsTablesAndWorkbook)
{
    const std::string sav = examples + "spelling_by_age.sav";
    load(sav);
    EXPECT_EQ(find<QLabel>("lblSize").text(), "303 cases");
    EXPECT_EQ(find<QComboBox>("cboScore").currentText(), "raw");
    EXPECT_EQ(find<QComboBox>("cboGroup").currentText(), "age_band");
    find<QSpinBox>("spnMin").setValue(0);
    find<QSpinBox>("spnMax").setValue(30);
    find<QComboBox>("cboScale").setCurrentText("T score (T)");
    settle();
    ASSERT_EQ(tabs().count(), 4);
    EXPECT_EQ(tabs().tabText(0), "8 years");  // by the code, under its label
    const std::vector<std::string> arguments = {"scores", "--group", "age_band", "--score", "raw",
                                                "--scale", "T", "0", "30", sav};
    const auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> all = arguments;
        all.insert(all.begin() + 1, more.begin(), more.end());
        return batch(all);
    };
    const Outcome csv = with({"--csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(shown_as_csv(true), without_below(csv.out, 3));
    EXPECT_TRUE(find<QLabel>("lblMissing").text().startsWith("group 8 years: 1 missing score skipped"));

    const QString from_window = dir.filePath("window.xlsx");
    const QString from_batch = dir.filePath("batch.xlsx");
    desktop.save_answers = {from_window.toStdString()};
    find<QAction>("mnuExportExcel").trigger();
    ASSERT_EQ(with({"--xlsx", from_batch.toStdString()}).status, 0);
    // The workbooks' sheets, strings and styles; only the file's own creation time may differ.
    const auto sheets = [](const QString& workbook) {
        QProcess unzip;
        unzip.start("unzip", {"-p", workbook, "xl/*"});
        EXPECT_TRUE(unzip.waitForFinished());
        return unzip.readAllStandardOutput();
    };
    const QByteArray batch_sheets = sheets(from_batch);
    EXPECT_TRUE(batch_sheets.contains("8 years"));
    EXPECT_EQ(sheets(from_window), batch_sheets);
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(Study, ASpreadsheetIsRefusedAsVornakBatchRefusesIt)
{
    load(write_temp_file("norms.xlsx", "PK"));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text,
              "norms.xlsx: this kind of file cannot be read; save the data as delimited text "
              "(.csv) or as an SPSS, Stata or SAS file");
}

// The study keeps what it has read: a new method computes from the counts held, a new
// variable counts the cases held, so neither reads the file again.
TEST_F(Study, NewChoicesNeedNoSecondReadOfTheFile)
{
    std::string rows = "id,band,school,raw\n";
    for (int i = 0; i < 600; ++i)
        rows += std::to_string(i) + "," + std::to_string(i % 3) + ",s" + std::to_string(i % 4) + "," +
                std::to_string((i * 7) % 20) + "\n";
    const std::string copy = write_temp_file("held_copy.csv", rows);
    const std::string file = write_temp_file("held.csv", rows);
    load(file);
    find<QComboBox>("cboGroup").setCurrentText("band");
    settle();
    write_temp_file("held.csv", "this is no longer the data\n");

    find<QComboBox>("cboMethod").setCurrentText("Classical method");
    find<QComboBox>("cboGroup").setCurrentText("school");
    settle();
    EXPECT_TRUE(desktop.messages.empty());
    const Outcome classical = batch({"scores", "--group", "school", "--score", "raw", "--csv",
                                     "--method", "classical", "0", "19", copy});
    ASSERT_EQ(classical.status, 0) << classical.err;
    EXPECT_EQ(shown_as_csv(true), without_below(classical.out, 3));
}

// A weight variable and margins to rake to give vornak-batch's weighted tables, with each
// group's effective sample shown beside them.
TEST_F(Study, WeightsAndRakingGiveBatchsWeightedTables)
{
    std::string rows = "id,band,region,w,raw\n";
    for (int i = 0; i < 300; ++i)
        rows += std::to_string(i) + "," + std::to_string(i % 3) + "," + (i % 5 == 0 ? "south" : "north") +
                "," + (i % 2 ? "1.5" : "0.5") + "," + std::to_string((i * 7) % 12) + "\n";
    const std::string file = write_temp_file("weighted.csv", rows);
    const std::string margins = write_temp_file("margins.csv", "variable,value,share\nregion,north,0.5\nregion,south,0.5\n");
    load(file);
    find<QComboBox>("cboGroup").setCurrentText("band");
    find<QSpinBox>("spnMin").setValue(0);
    find<QSpinBox>("spnMax").setValue(11);
    find<QComboBox>("cboWeight").setCurrentText("w");
    settle();
    const auto weighted_shown = [&](const std::string& csv) {
        // The window leaves out the CSV's below and its columns of the whole group.
        QStringList lines = lines_of(csv);
        lines.removeFirst();
        for (QString& line : lines) {
            QStringList fields = line.split(',');
            fields = fields.mid(0, 5) + fields.mid(6, 5);
            line = fields.join(',');
        }
        return lines;
    };
    const Outcome by_weight = batch({"scores", "--group", "band", "--score", "raw", "--weight", "w",
                                     "--csv", "0", "11", file});
    ASSERT_EQ(by_weight.status, 0) << by_weight.err;
    EXPECT_EQ(shown_as_csv(true), weighted_shown(by_weight.out));
    EXPECT_EQ(table(0).headerData(2, Qt::Horizontal).toString(), "Weighted freq.");
    EXPECT_TRUE(find<QLabel>("lblWeighting").text().startsWith("0: n_eff 80.0, design effect 1.25"))
        << find<QLabel>("lblWeighting").text().toStdString();

    desktop.open_answers = {margins};
    QTest::mouseClick(&find<QPushButton>("cmdRake"), Qt::LeftButton);
    settle();
    const Outcome raked = batch({"scores", "--group", "band", "--score", "raw", "--weight", "w",
                                 "--rake", margins, "--csv", "0", "11", file});
    ASSERT_EQ(raked.status, 0) << raked.err;
    EXPECT_EQ(shown_as_csv(true), weighted_shown(raked.out));
    EXPECT_EQ(find<QLabel>("lblMargins").text(), "margins.csv");
    EXPECT_TRUE(desktop.messages.empty());
}

// A group variable that is refused (an id, say) is neither remembered nor offered again, and the
// window stays free to answer while and after it refuses.
TEST_F(Study, AChoiceThatWasRefusedIsNotRemembered)
{
    std::string rows = "id,band,raw\n";
    for (int i = 0; i < 3000; ++i)
        rows += std::to_string(i) + "," + std::to_string(i % 3) + "," + std::to_string(i % 9) + "\n";
    const std::string file = write_temp_file("ids.csv", rows);
    load(file);
    ASSERT_EQ(find<QComboBox>("cboGroup").currentText(), "band");
    find<QComboBox>("cboGroup").setCurrentText("id");
    settle();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text,
              "ids.csv: The group column \"id\" has 3000 distinct values, more than the 1000 norm "
              "groups a run takes; check that it is the group column");
    EXPECT_TRUE(window.results_outdated());
    EXPECT_FALSE(find<QProgressBar>("progress").isVisible());

    ui::StudyWindow reopened{desktop, settings};
    reopened.loadFile(QString::fromStdString(file));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reopened.idle(); }, 60000));
    EXPECT_EQ(reopened.findChild<QComboBox*>("cboGroup")->currentText(), "band");
    EXPECT_EQ(desktop.messages.size(), 1u);
}

TEST_F(Study, ScoresWithDecimalsKeepThemInTheBoxesAndTheTables)
{
    std::string data = "age,bmi\n";
    for (int i = 0; i < 60; ++i)
        data += std::to_string(2 + i % 3) + "," + std::to_string(12 + i % 7) + "." + std::to_string(i % 10) + "\n";
    const std::string path = write_temp_file("bmi_like.csv", data);
    load(path);
    EXPECT_EQ(find<QComboBox>("cboScore").currentText().toStdString(), "bmi");
    EXPECT_EQ(find<QSpinBox>("spnMin").text().toStdString(), "12.0");
    EXPECT_EQ(find<QSpinBox>("spnMax").text().toStdString(), "18.8");
    EXPECT_EQ(find<QSpinBox>("spnStep").text().toStdString(), "0.1");
    ASSERT_EQ(tabs().count(), 4);
    const Outcome batch_tables =
        batch({"scores", "--group", "age", "--score", "bmi", "--csv", "--step", "0.1", "12.0", "18.8", path});
    ASSERT_EQ(batch_tables.status, 0) << batch_tables.err;
    EXPECT_EQ(shown_as_csv(true).join('\n').toStdString(), without_below(batch_tables.out, 3).join('\n').toStdString());

    // The Continuous tab takes the same range with its decimals, and a test's items from its top.
    EXPECT_EQ(find<QLabel>("lblContinuousData").text().toStdString(),
              "bmi_like.csv, score bmi, raw scores 12.0 to 18.8 (chosen beside the norms tables)");
    EXPECT_EQ(find<QSpinBox>("spnItems").value(), 19);

    // A coarser step the scores do not lie on is refused with the case that is off it.
    find<QSpinBox>("spnMax").setValue(190);
    find<QSpinBox>("spnStep").setValue(5);
    settle();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text,
              "bmi_like.csv: line 3, column \"bmi\": \"13.1\" is not a raw score on the grid 12.0 to 19.0 by 0.5");
}
