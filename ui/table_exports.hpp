// The exports of a study-window panel's tables: a CSV file, an Excel workbook and the chart's
// picture, each through a save dialog of its own. Until a file has been chosen, a dialog
// proposes the data file's name with the panel's ending ("spelling_norms.csv"), then the file
// chosen last. Every file is written whole or not at all.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "norms/write/chart_model.hpp"
#include "norms/write/output_files.hpp"
#include "platform/desktop.hpp"

namespace ui {

class TableExports {
public:
    // `ending`: what the proposed names add to the data file's, such as "_norms"; `chart_name`:
    // the picture's proposed name.
    TableExports(platform::Desktop& desktop, std::string ending, const std::string& chart_name);

    // The text that `write` writes, to a CSV file.
    void csv(const std::string& data_file, const std::function<void(std::ostream&)>& write);
    // The workbook that `add` adds to the files under the name given, to an Excel file.
    void workbook(const std::string& data_file,
                  const std::function<void(norms::OutputFiles& files, const std::string& path)>& add);
    void chart(const norms::ChartModel& chart);

private:
    std::string proposed(const std::string& data_file, const std::string& extension) const;

    platform::Desktop& desktop_;
    std::string ending_;
    platform::FileDialog csv_dialog_;
    platform::FileDialog xlsx_dialog_;
    platform::FileDialog chart_dialog_;
};

}  // namespace ui
