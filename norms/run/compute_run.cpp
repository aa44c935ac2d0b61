#include "norms/run/compute_run.hpp"

#include <cmath>

#include "norms/program_strings.hpp"
#include "norms/read/input_checks.hpp"
#include "norms/write/report.hpp"
#include "platform/failure.hpp"

namespace norms {

bool RunCompute(platform::Desktop& desktop, WorksheetView& worksheet, ResultsView& results,
                NormsRun& run)
{
    Extended values[3];
    for (int box = 1; box <= 3; ++box) {
        const std::string caption = worksheet.label_caption(box);
        const Extended value = norms::ParseFieldValue(desktop, worksheet.input_text(box), caption);
        if (norms::InputError || (box == 3 && !norms::CheckSampleSize(desktop, caption, value))) {
            worksheet.focus_input(box);
            return false;
        }
        values[box - 1] = std::trunc(value);
    }
    const Extended min_raw_score = values[0];
    const Extended max_raw_score = values[1];
    const Extended sample_size = values[2];

    worksheet.save_current_data();
    run = NormsRun{};

    const Extended row_count = max_raw_score - min_raw_score + 1;
    if (std::isnan(row_count))  // both ends infinite
        throw platform::Failure("Invalid floating point operation");
    if (row_count > MaxNormsRows) {
        desktop.error(TooManyRowsMessage);
        worksheet.focus_input(1);
        return false;
    }
    // A maximum below the minimum reads no row; the sum check then fails.
    run.row_count = row_count > 0 ? static_cast<int>(row_count) : 0;

    if (!ReadFrequencyFile(desktop, worksheet.open_dialog(), min_raw_score, max_raw_score,
                           sample_size, run.row_count, run.table, run.data_file_path)) {
        worksheet.focus_input(1);
        return false;
    }
    run.sample_size = sample_size;
    run.method = worksheet.interval_method();
    run.notes = worksheet.notes_lines();
    ComputeNormsTable(run.table, run.row_count, sample_size, run.method);

    results.show();
    worksheet.hide();
    results.set_caption(std::string("Results viewer: ") + TitleLine);
    AppendReport(run.table, run.row_count, run.data_file_path, worksheet, results);
    results.keep_run(run);
    return true;
}

}  // namespace norms
