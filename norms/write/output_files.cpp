#include "norms/write/output_files.hpp"

#include "norms/write/manual_workbook.hpp"

namespace norms {

void OutputFiles::add_workbook(const std::string& path, const NormsWorkbook& workbook)
{
    files_.add(path, norms_workbook_file(path, workbook));
}

void OutputFiles::add_workbook(const std::string& path, const SheetsWorkbook& workbook)
{
    files_.add(path, sheets_workbook_file(path, workbook));
}

void OutputFiles::add_picture(const std::string& path, const ChartModel& chart,
                              const ChartPainter& paint)
{
    files_.add(path, paint(ChartFormatOf(path).value(), chart));
}

void OutputFiles::add_manual(const std::string& path, const ManualTable& table,
                             const ManualPdfPainter& paint_pdf)
{
    files_.add(path, manual_format_of(path).value() == ManualFormat::pdf ? paint_pdf(table)
                                                                         : manual_workbook_file(path, table));
}

void OutputFiles::add_text(const std::string& path, std::string_view contents)
{
    files_.add(path, contents);
}

void OutputFiles::commit()
{
    files_.commit();
}

}  // namespace norms
