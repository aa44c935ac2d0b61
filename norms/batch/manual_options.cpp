#include "norms/batch/manual_options.hpp"

#include <CLI/CLI.hpp>

#include "norms/batch/batch_command_line.hpp"

namespace norms {

void add_manual_options(CLI::App& form, ManualOptions& options, bool draws_pdf,
                        const std::string& columns)
{
    AddTakenOption(
        form, "--manual",
        [&options, draws_pdf](const std::string& name) {
            options.path = name;
            const std::optional<ManualFormat> format = manual_format_of(name);
            return format == ManualFormat::xlsx || (format == ManualFormat::pdf && draws_pdf);
        },
        draws_pdf ? "a file name ending in .pdf or .xlsx" : "a file name ending in .xlsx",
        "also write the manual table, " + columns + " side by side, to FILE: a .pdf document or "
        "an .xlsx workbook")
        ->type_name("FILE");
    AddTakenOption(
        form, "--manual-scale",
        [&options](const std::string& name) {
            std::string reason;
            if (!parse_manual_scale(name, options.choices.scale, reason))
                throw CLI::ValidationError(reason);
            return true;
        },
        "", "the manual table's norm score: PR (the default) or a scale as --scale names it")
        ->type_name("NAME");
    AddTakenOption(
        form, "--manual-interval",
        [&options](const std::string& name) {
            const std::optional<ManualInterval> interval = manual_interval_named(name);
            if (interval)
                options.choices.interval = *interval;
            return interval.has_value();
        },
        "none, 95 or 90", "the interval in the manual table's cells: 95 (the default), 90 or none")
        ->type_name("LEVEL");
    AddTakenOption(
        form, "--reversals",
        [&options](const std::string& name) {
            options.choices.reversals = ability_trend_named(name);
            return options.choices.reversals.has_value();
        },
        "increasing or decreasing",
        "list each raw score whose rank goes against the ability's trend across " + columns +
            ": increasing or decreasing")
        ->type_name("TREND");
}

void check_manual_options(const CLI::App& form, const ManualOptions& options)
{
    for (const char* option : {"--manual-scale", "--manual-interval"})
        if (form.count(option) > 0 && options.path.empty())
            throw CLI::ValidationError(std::string(option) +
                                       " chooses what the manual table shows, which needs --manual");
}

void add_manual_output(const ManualOptions& options, const std::function<ManualTable(const ManualChoices&)>& make,
                       platform::Desktop& desktop, OutputFiles& files, const ManualPdfPainter& paint_manual)
{
    if (options.path.empty() && !options.choices.reversals)
        return;
    const ManualTable manual = make(options.choices);
    show_reversals(desktop, manual);
    if (!options.path.empty())
        files.add_manual(options.path, manual, paint_manual);
}

void show_reversals(platform::Desktop& desktop, const ManualTable& manual)
{
    if (!manual.trend)
        return;
    for (const Reversal& reversal : manual.reversals)
        desktop.warning(reversal_text(manual, reversal));
    const std::size_t columns = manual.column_titles.size();
    if (manual.reversals.empty())
        desktop.warning("no reversals across the " + std::to_string(columns) +
                        (columns == 1 ? " column" : " columns"));
}

}  // namespace norms
