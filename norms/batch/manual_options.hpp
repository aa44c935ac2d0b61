// The options of a manual table, which the scores and continuous forms both take: --manual,
// --manual-scale, --manual-interval and --reversals.
#pragma once

#include <functional>
#include <string>

#include "norms/write/manual_table.hpp"
#include "norms/write/output_files.hpp"
#include "platform/desktop.hpp"

namespace CLI {
class App;
}

namespace norms {

struct ManualOptions {
    std::string path;  // also write the manual table here, .pdf or .xlsx
    ManualChoices choices;
};

// Adds the options to `form`, which fills `options` as it parses. Without `draws_pdf` a
// manual table can only be a workbook. `columns` says what the table's columns are, such as
// "the groups".
void add_manual_options(CLI::App& form, ManualOptions& options, bool draws_pdf,
                        const std::string& columns);

// Throws CLI::ValidationError for a choice of what the manual table shows without --manual.
void check_manual_options(const CLI::App& form, const ManualOptions& options);

// Each reversal that the manual table found, or that there are none, as a notice.
void show_reversals(platform::Desktop& desktop, const ManualTable& manual);

// When --manual or --reversals asks for the manual table: makes it with `make` from the chosen
// choices, shows its reversals, and adds it to `files` when it has a path.
void add_manual_output(const ManualOptions& options, const std::function<ManualTable(const ManualChoices&)>& make,
                       platform::Desktop& desktop, OutputFiles& files, const ManualPdfPainter& paint_manual);

}  // namespace norms
