// The files that a vornak-batch run writes beside its standard output, the workbook, the
// picture and the manual table, all or nothing: each is first made whole aside, and they take their places together
// only once the standard output has gone out.
#pragma once

#include <string>

#include "norms/write/chart_model.hpp"
#include "norms/write/manual_table.hpp"
#include "norms/write/norms_workbook.hpp"
#include "platform/whole_file.hpp"

namespace norms {

class OutputFiles {
public:
    // Makes the workbook that is to stand at `path`.
    void add_workbook(const std::string& path, const NormsWorkbook& workbook);
    void add_workbook(const std::string& path, const SheetsWorkbook& workbook);
    // Draws the chart with `paint`, in the format that the ending of `path` names, as the
    // picture that is to stand at `path`.
    void add_picture(const std::string& path, const ChartModel& chart, const ChartPainter& paint);
    // Makes the manual table that is to stand at `path`: a PDF document drawn by `paint_pdf`
    // or a workbook, by the ending of `path`.
    void add_manual(const std::string& path, const ManualTable& table, const ManualPdfPainter& paint_pdf);
    // Makes a text file that is to stand at `path`.
    void add_text(const std::string& path, std::string_view contents);
    // Puts every file in its place, each as the no-loss saver would (platform::SaveWholeFile).
    // Until then, and when the object ends first, every old file stays as it was.
    void commit();

private:
    platform::StagedFiles files_;
};

}  // namespace norms
