// The worksheet and the results viewer wired as the program wires them, with a Compute run on
// the example file typed and clicked through the real widgets, for the viewer's "Table" menu.
#pragma once

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/method_choice.hpp"
#include "tests/support/scripted_desktop.hpp"
#include "ui/TemplateForm.hpp"
#include "ui/TemplateResults.hpp"

class ViewerAfterCompute : public testing::Test {
protected:
    static inline const std::filesystem::path example =
        std::filesystem::path(VORNAK_SOURCE_DIR) / "examples/memory_test_n250.txt";

    ViewerAfterCompute()
    {
        worksheet.set_saved_worksheet_path(testing::TempDir() + "viewer_test_Vornak.txt");
        worksheet.set_results_viewer(viewer);
        worksheet.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&worksheet));
    }

    // Minimum 0, maximum 30, n = 250, by the given method.
    void compute(stats::IntervalMethod method)
    {
        choose_method(worksheet, method);
        const char* values[] = {"0", "30", "250"};
        for (int number = 1; number <= 3; ++number)
            QTest::keyClicks(worksheet.findChild<QLineEdit*>(QString("txtInput%1").arg(number)),
                             values[number - 1]);
        desktop.open_answers.push_back(example.string());
        QTest::mouseClick(worksheet.findChild<QPushButton*>("cmdCompute"), Qt::LeftButton);
    }
    void trigger(const char* action) { viewer.findChild<QAction*>(action)->trigger(); }

    ScriptedDesktop desktop;
    ui::TfrmTemplate worksheet{desktop};
    ui::TfrmTemplateResults viewer{desktop, &worksheet};
};
