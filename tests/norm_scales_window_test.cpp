// The norm-scales window, opened from the results viewer's "Table" menu after a real Compute
// run on the example file.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/temp_files.hpp"
#include "tests/support/viewer_after_compute.hpp"
#include "ui/norm_scales_window.hpp"

namespace {

using Message = ScriptedDesktop::Message;

class NormScalesMenu : public ViewerAfterCompute {
protected:
    // A Bayesian run on the example, then Table > Norm Scales...
    ui::NormScalesWindow* open_after_compute()
    {
        compute(stats::IntervalMethod::bayesian);
        trigger("mnuNormScales");
        return viewer.findChild<ui::NormScalesWindow*>("frmNormScales");
    }

    std::string batch_csv(const QString& scale)
    {
        QProcess process;
        process.start(VORNAK_BATCH, {"--csv", "--scale", scale, "0", "30", "250",
                                     QString::fromStdString(example.string())});
        process.waitForFinished();
        return process.readAllStandardOutput().toStdString();
    }
};

QString cell(QTableView* table, int r, int c)
{
    return table->model()->index(r, c).data().toString();
}

QStringList column(QTableView* table, int c)
{
    QStringList cells;
    for (int r = 0; r < table->model()->rowCount(); ++r)
        cells << cell(table, r, c);
    return cells;
}

QString title(QTableView* table, int c)
{
    return table->model()->headerData(c, Qt::Horizontal).toString();
}

}  // namespace

TEST_F(NormScalesMenu, WarnsBeforeTheFirstRun)
{
    trigger("mnuNormScales");
    EXPECT_EQ(desktop.messages,
              std::vector<Message>({{"Warning", "There is no computed table yet. Run Compute first."}}));
    EXPECT_EQ(viewer.findChild<ui::NormScalesWindow*>("frmNormScales"), nullptr);
}

TEST_F(NormScalesMenu, ShowsTheChosenScaleRoundedAsAManualPrintsIt)
{
    ui::NormScalesWindow* window = open_after_compute();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    auto* table = window->findChild<QTableView*>("tblScores");
    auto* selector = window->findChild<QComboBox*>("cboScale");
    ASSERT_EQ(table->model()->rowCount(), 31);
    EXPECT_EQ(title(table, 7), "T");
    // T scores are whole numbers, rising with the raw score; the lowest scores' open lower
    // limits show the bound.
    for (const QString& shown : column(table, 7))
        EXPECT_TRUE(QRegularExpression("^(<10|>90|\\d+)$").match(shown).hasMatch()) << shown.toStdString();
    EXPECT_EQ(cell(table, 0, 8), "<10");

    selector->setCurrentIndex(0);  // z
    EXPECT_EQ(title(table, 7), "z");
    for (const QString& shown : column(table, 9))
        EXPECT_TRUE(QRegularExpression("^([<>]?-?\\d\\.\\d\\d)$").match(shown).hasMatch())
            << shown.toStdString();
    // Raw score 10 sits at the 5th percentile: z = Φ⁻¹(0.05) = -1.645.
    EXPECT_EQ(cell(table, 10, 2), "5");
    EXPECT_EQ(cell(table, 10, 7), "-1.64");

    selector->setCurrentIndex(5);  // stanines
    EXPECT_EQ(cell(table, 10, 7), "2");  // ⌊2 × -1.645 + 5.5⌋

    // Ctrl+C copies the selected rows with a header line, cells as the window shows them.
    table->selectRow(12);
    QTest::keyClick(table, Qt::Key_Down, Qt::ShiftModifier);
    table->setFocus();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QApplication::clipboard()->text().split('\n');
    ASSERT_EQ(lines.size(), 4) << QApplication::clipboard()->text().toStdString();
    EXPECT_EQ(lines[0].split('\t').size(), 12);
    EXPECT_TRUE(lines[0].startsWith("Raw score\tFrequency\tPR\tPR 95% lower"));
    for (int i = 0; i < 2; ++i) {
        QStringList shown;
        for (int c = 0; c < 12; ++c)
            shown << cell(table, 12 + i, c);
        EXPECT_EQ(lines[1 + i], shown.join('\t'));
    }
    EXPECT_EQ(lines[3], "");

    // Without a selection, Copy takes every row.
    table->clearSelection();
    QTest::mouseClick(window->findChild<QPushButton*>("cmdCopy"), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text().count('\n'), 32);
}

TEST_F(NormScalesMenu, ExportsTheColumnsOfVornakBatch)
{
    ui::NormScalesWindow* window = open_after_compute();
    ASSERT_NE(window, nullptr);
    auto* export_csv = window->findChild<QPushButton*>("cmdExportCsv");
    window->findChild<QComboBox*>("cboScale")->setCurrentIndex(7);  // custom
    auto* sd = window->findChild<QLineEdit*>("txtSD");
    sd->clear();
    QTest::keyClicks(sd, "0");
    QTest::mouseClick(export_csv, Qt::LeftButton);
    EXPECT_EQ(desktop.messages,
              std::vector<Message>(
                  {{"Warning", "Type a mean and a standard deviation above 0 for the custom scale."}}));
    EXPECT_EQ(window->findChild<QTableView*>("tblScores")->model()->columnCount(), 7);

    QTest::keyClicks(sd, ".5");
    const std::string csv = testing::TempDir() + "norm_scales.csv";
    desktop.save_answers = {csv};
    QTest::mouseClick(export_csv, Qt::LeftButton);
    EXPECT_EQ(file_content(csv), batch_csv("500,0.5"));
    EXPECT_TRUE(file_content(csv).starts_with("raw_score,frequency,below,pr,lower95,upper95,lower90,"
                                              "upper90,scale_500_0.5,"));

    window->findChild<QComboBox*>("cboScale")->setCurrentIndex(6);  // stens
    desktop.save_answers = {csv};
    QTest::mouseClick(export_csv, Qt::LeftButton);
    EXPECT_EQ(file_content(csv), batch_csv("sten"));
}
