// The chart and the CSV export: the pictures drawn from a known table, and the results
// viewer's "Table" menu after a real Compute run.
#include <QAction>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>

#include <gtest/gtest.h>

#include "norms/write/chart_model.hpp"
#include "norms/tables/norms_table.hpp"
#include "tests/support/scripted_desktop.hpp"
#include "tests/support/temp_files.hpp"
#include "tests/support/viewer_after_compute.hpp"
#include "ui/TemplateForm.hpp"
#include "ui/TemplateResults.hpp"
#include "ui/chart_picture.hpp"
#include "ui/chart_window.hpp"

namespace {

namespace fs = std::filesystem;
using Message = ScriptedDesktop::Message;
using norms::ChartFormat;

std::string run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished();
    return process.readAllStandardOutput().toStdString();
}

int pdf_pages(const std::string& path)
{
    const QString info = QString::fromStdString(run("pdfinfo", {QString::fromStdString(path)}));
    return QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
}

// Classical method, n = 3, raw scores 0 to 4 with frequencies 0 1 1 1 0. Score 0 has the
// limits 0 - 70.8 (95%) and 0 - 63.2 (90%); score 1 reaches up to 86.8.
norms::ChartModel small_chart()
{
    norms::NormsRun run;
    run.row_count = 5;
    run.sample_size = 3;
    run.method = stats::IntervalMethod::classical;
    run.data_file_path = "classical.txt";
    for (int j = 0; j < 5; ++j) {
        run.table[j].RawScore = j;
        run.table[j].Frequency = (j == 0 || j == 4) ? 0 : 1;
    }
    norms::ComputeNormsTable(run.table, run.row_count, run.sample_size, run.method);
    return norms::BuildChartModel(run);
}

}  // namespace

TEST(ChartPicture, PngShowsEachBandInItsColourWhereOnlyItReaches)
{
    const norms::ChartModel chart = small_chart();
    const QImage image = QImage::fromData(ui::ChartPicture(chart, ChartFormat::Png), "PNG");
    ASSERT_EQ(image.size(), ui::ChartPictureSize);
    const QRectF plot = ui::ChartPlotArea(QRectF(QPointF(0, 0), ui::ChartPictureSize));
    const auto colour_at = [&](double score, double pr) {
        return image.pixelColor(ui::ChartPosition(chart, plot, score, pr).toPoint());
    };
    EXPECT_EQ(colour_at(0, 67), ui::ChartBand95Colour);  // between 63.2 and 70.8
    EXPECT_EQ(colour_at(0, 35), ui::ChartBand90Colour);
    EXPECT_EQ(colour_at(1.3, 95), QColor(Qt::white));  // above score 1's 86.8, off the grid
}

TEST(ChartPicture, ScatteredPointsShowGreyWithinThePlotOnly)
{
    norms::ChartModel chart;
    chart.x = {"Age", 0, 10, {}};
    chart.y = {"Raw score", 0, 10, {}};
    chart.scatter = {{2, 3}, {7, 8}, {10.2, 5}};  // the last beyond the plot's right edge
    chart.scatter_legend = "Cases";
    const QImage image = QImage::fromData(ui::ChartPicture(chart, ChartFormat::Png), "PNG");
    const QRectF plot = ui::ChartPlotArea(QRectF(QPointF(0, 0), ui::ChartPictureSize));
    const auto colour_at = [&](double x, double y) {
        return image.pixelColor(ui::ChartPosition(chart, plot, x, y).toPoint());
    };
    for (const QColor colour : {colour_at(2, 3), colour_at(7, 8)}) {
        EXPECT_TRUE(colour.red() == colour.green() && colour.green() == colour.blue()) << colour.name().toStdString();
        EXPECT_NEAR(colour.red(), 183, 8) << "half-transparent grey over white";
    }
    EXPECT_EQ(colour_at(10.2, 5), QColor(Qt::white));
    EXPECT_EQ(colour_at(2.2, 3), QColor(Qt::white)) << "a dot, not a line";
}

TEST(ChartPicture, TheLinesLegendGoesToTheCornerThatHidesNoLine)
{
    norms::ChartModel chart;
    chart.x = {"Age", 0, 10, {}};
    chart.y = {"Raw score", 0, 10, {}};
    norms::ChartLine top{"PR 90", {}};
    for (int i = 0; i <= 100; ++i)
        top.points.push_back({i / 10.0, 9.3});
    chart.lines = {top};
    const QImage image = QImage::fromData(ui::ChartPicture(chart, ChartFormat::Png), "PNG");
    const QRectF plot = ui::ChartPlotArea(QRectF(QPointF(0, 0), ui::ChartPictureSize));
    const auto white_at = [&](double x, double y) {
        return image.pixelColor(ui::ChartPosition(chart, plot, x, y).toPoint()) == QColor(Qt::white);
    };
    EXPECT_FALSE(white_at(9.5, 9.3)) << "the line shows at the top right";
    EXPECT_FALSE(white_at(0.5, 9.3)) << "and at the top left";
    EXPECT_FALSE(white_at(9.5, 0.5)) << "the legend's frame and text sit at the bottom right";
}

TEST(ChartPicture, AlertsShowAsRedCrossesWithinThePlotOnly)
{
    norms::ChartModel chart;
    chart.x = {"Age", 0, 10, {}};
    chart.y = {"Raw score", 0, 10, {}};
    chart.lines = {{"PR 50", {{0, 5}, {10, 5}}}};
    chart.alerts = {{4, 5}, {10.2, 2}};  // the last beyond the plot's right edge
    chart.alerts_legend = "Curves cross";
    const QImage image = QImage::fromData(ui::ChartPicture(chart, ChartFormat::Png), "PNG");
    const QRectF plot = ui::ChartPlotArea(QRectF(QPointF(0, 0), ui::ChartPictureSize));
    const auto colour_at = [&](double x, double y, double dx = 0) {
        return image.pixelColor((ui::ChartPosition(chart, plot, x, y) + QPointF(dx, dx)).toPoint());
    };
    EXPECT_EQ(colour_at(4, 5), ui::ChartAlertColour) << "over the line";
    EXPECT_EQ(colour_at(4, 5, ui::ChartAlertRadius - 1.5), ui::ChartAlertColour) << "along an arm";
    EXPECT_EQ(colour_at(10.2, 2), QColor(Qt::white));
    EXPECT_EQ(QString(ui::ChartPicture(chart, ChartFormat::Svg)).count("Curves cross"), 1);
}

TEST(ChartPicture, SvgHasOneMarkerPerScoreAndPdfOnePage)
{
    const norms::ChartModel chart = small_chart();
    const QByteArray svg = ui::ChartPicture(chart, ChartFormat::Svg);
    EXPECT_EQ(svg.count("<circle"), 5 + 1) << "one per score and one in the legend";

    const std::string pdf = testing::TempDir() + "chart_test.pdf";
    ui::SaveChartPicture(pdf, ChartFormat::Pdf, chart);
    EXPECT_EQ(pdf_pages(pdf), 1);
}

namespace {

class TableMenu : public ViewerAfterCompute {
protected:
    void compute_mid_p() { compute(stats::IntervalMethod::mid_p); }
    ui::ChartWindow* chart_window() { return viewer.findChild<ui::ChartWindow*>("frmChart"); }
};

}  // namespace

TEST_F(TableMenu, WarnsBeforeTheFirstRun)
{
    trigger("mnuChart");
    trigger("mnuExportCsv");
    const Message warning{"Warning", "There is no computed table yet. Run Compute first."};
    EXPECT_EQ(desktop.messages, std::vector<Message>({warning, warning}));
    EXPECT_TRUE(desktop.dialogs_seen.empty());
    EXPECT_EQ(chart_window(), nullptr);
}

TEST_F(TableMenu, ChartAndCsvComeFromTheRunEvenAfterClearResults)
{
    compute_mid_p();
    ASSERT_TRUE(viewer.isVisible());
    QTest::mouseClick(viewer.findChild<QPushButton*>("cmdClearResults"), Qt::LeftButton);

    const std::string csv = testing::TempDir() + "chart_test.csv";
    desktop.save_answers = {csv};
    trigger("mnuExportCsv");
    const std::string batch_csv = run(VORNAK_BATCH, {"--method", "mid-p", "--csv", "0", "30", "250",
                                                 QString::fromStdString(example.string())});
    EXPECT_EQ(file_content(csv), batch_csv);
    EXPECT_TRUE(batch_csv.starts_with("raw_score,"));
    ASSERT_EQ(desktop.dialogs_seen.size(), 2u);
    EXPECT_EQ(desktop.dialogs_seen[1].filter, "CSV files|*.csv");
    EXPECT_TRUE(desktop.dialogs_seen[1].prompt_overwrite);

    trigger("mnuChart");
    ui::ChartWindow* window = chart_window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->chart().title, "Classical method: Mid-p variant, n = 250, memory_test_n250.txt");
    EXPECT_EQ(window->chart().points.size(), 31u);

    const std::string picture = testing::TempDir() + "chart_test_window.pdf";
    fs::remove(picture);
    desktop.save_answers = {testing::TempDir() + "chart.gif", picture};
    QPushButton* save = window->findChild<QPushButton*>("cmdSavePicture");
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(desktop.messages, std::vector<Message>({{"Warning", "The picture's file name must end in .png, .svg or .pdf."}}));
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(pdf_pages(picture), 1);
    EXPECT_EQ(desktop.dialogs_seen.back().file_name, "chart.png");

    QTest::mouseClick(window->findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}

namespace {

// Every part of a workbook but its creation time, as Debian's python3 unpacks it.
std::string workbook_parts(const std::string& path)
{
    return run("/usr/bin/python3", {"-c",
                                    "import sys, zipfile\n"
                                    "z = zipfile.ZipFile(sys.argv[1])\n"
                                    "for n in sorted(z.namelist()):\n"
                                    "    if n != 'docProps/core.xml': print(n, z.read(n))\n",
                                    QString::fromStdString(path)});
}

}  // namespace

TEST_F(TableMenu, ExcelExportIsTheWorkbookOfVornakBatch)
{
    compute_mid_p();
    ASSERT_TRUE(viewer.isVisible());
    const std::string viewer_workbook = testing::TempDir() + "chart_test.xlsx";
    desktop.save_answers = {viewer_workbook};
    trigger("mnuExportExcel");
    ASSERT_EQ(desktop.dialogs_seen.size(), 2u);
    EXPECT_EQ(desktop.dialogs_seen[1].file_name, "table.xlsx");
    EXPECT_EQ(desktop.dialogs_seen[1].filter, "Excel workbooks|*.xlsx");
    EXPECT_TRUE(desktop.dialogs_seen[1].prompt_overwrite);

    const std::string batch_workbook = testing::TempDir() + "chart_test_batch.xlsx";
    run(VORNAK_BATCH, {"--method", "mid-p", "--xlsx", QString::fromStdString(batch_workbook), "0",
                       "30", "250", QString::fromStdString(example.string())});
    const std::string parts = workbook_parts(viewer_workbook);
    EXPECT_NE(parts.find("xl/worksheets/sheet2.xml"), std::string::npos);
    EXPECT_EQ(parts, workbook_parts(batch_workbook));
}
