// The manual table from the norms-study window: the dialog's choices, remembered between
// sessions, and the export, which writes what vornak-batch writes for the same choices.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/scripted_desktop.hpp"
#include "tests/support/temp_files.hpp"
#include "ui/manual_table_dialog.hpp"
#include "ui/study_window.hpp"

namespace {

const std::string spelling = std::string(VORNAK_SOURCE_DIR) + "/examples/spelling_by_age.csv";

// The PDF's text as pdftotext lays it out.
QString pdf_text(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", path, "-"});
    EXPECT_TRUE(pdftotext.waitForFinished(30000));
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

}  // namespace

TEST(ManualTableDialog, ItsChoicesAreTheBoxesAndAreRememberedForTheNextTime)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("study.ini"), QSettings::IniFormat);
    ui::ManualTableDialog first(settings);
    const norms::ManualChoices defaults = first.choices();
    EXPECT_FALSE(defaults.scale.has_value());  // the percentile rank
    EXPECT_EQ(defaults.interval, norms::ManualInterval::level95);
    EXPECT_FALSE(defaults.reversals.has_value());
    EXPECT_EQ(first.title(), "");

    first.findChild<QLineEdit*>("txtTitle")->setText("Spelling, spring 2026");
    first.findChild<QComboBox*>("cboScale")->setCurrentText("stanine (stanine)");
    first.findChild<QComboBox*>("cboInterval")->setCurrentText("No interval");
    first.findChild<QComboBox*>("cboReversals")->setCurrentText("Ability decreases across the groups");
    first.accept();

    ui::ManualTableDialog again(settings);
    const norms::ManualChoices chosen = again.choices();
    ASSERT_TRUE(chosen.scale.has_value());
    EXPECT_EQ(chosen.scale->name, "stanine");
    EXPECT_EQ(chosen.interval, norms::ManualInterval::none);
    EXPECT_EQ(chosen.reversals, norms::AbilityTrend::decreasing);
    EXPECT_EQ(again.title(), "Spelling, spring 2026");
}

TEST(ManualTableDialog, TheWindowExportsWhatVornakBatchWritesByTheNamesEnding)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("study.ini"), QSettings::IniFormat);
    ScriptedDesktop desktop;
    ui::StudyWindow window(desktop, settings);
    auto* export_manual = window.findChild<QAction*>("mnuExportManual");
    ASSERT_NE(export_manual, nullptr);
    EXPECT_FALSE(export_manual->isEnabled());
    window.loadFile(QString::fromStdString(spelling));
    const auto settle = [&] { ASSERT_TRUE(QTest::qWaitFor([&] { return window.idle(); }, 60000)); };
    settle();
    window.findChild<QSpinBox*>("spnMin")->setValue(0);
    window.findChild<QSpinBox*>("spnMax")->setValue(30);
    settle();
    ASSERT_TRUE(window.tables().has_value());
    EXPECT_TRUE(export_manual->isEnabled());

    const norms::ManualChoices choices{stats::StandardNormScales()[1], norms::ManualInterval::level90,
                                       norms::AbilityTrend::increasing};
    platform::FileDialog proposed = ui::ManualTableFileDialog("spelling_manual.pdf");
    desktop.save_answers = {dir.filePath("manual.txt").toStdString(), dir.filePath("manual.pdf").toStdString(),
                            dir.filePath("manual.xlsx").toStdString()};
    ui::ExportManualTable(desktop, proposed, *window.tables(), choices, "Spelling");
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "The manual table's file name must end in .pdf or .xlsx.");
    EXPECT_FALSE(QFile::exists(dir.filePath("manual.txt")));
    EXPECT_EQ(proposed.file_name, "spelling_manual.pdf");

    ui::ExportManualTable(desktop, proposed, *window.tables(), choices, "Spelling");
    EXPECT_EQ(proposed.file_name, dir.filePath("manual.pdf").toStdString());
    QProcess batch;
    batch.start(VORNAK_BATCH, {"scores", "--group", "age_band", "--score", "raw", "--notes", "Spelling", "--manual",
                               dir.filePath("batch.pdf"), "--manual-scale", "T", "--manual-interval", "90",
                               "--reversals", "increasing", "0", "30", QString::fromStdString(spelling)});
    ASSERT_TRUE(batch.waitForFinished(30000));
    ASSERT_EQ(batch.exitCode(), 0) << batch.readAllStandardError().toStdString();
    const QString text = pdf_text(dir.filePath("manual.pdf"));
    EXPECT_TRUE(text.startsWith("Spelling\nNorm score: T score. Columns: age_band. Bayesian method."))
        << text.toStdString();
    EXPECT_EQ(text, pdf_text(dir.filePath("batch.pdf")));

    ui::ExportManualTable(desktop, proposed, *window.tables(), choices, "Spelling");
    EXPECT_EQ(file_content(dir.filePath("manual.xlsx").toStdString()).substr(0, 2), "PK");
    EXPECT_EQ(desktop.messages.size(), 1u);
}
