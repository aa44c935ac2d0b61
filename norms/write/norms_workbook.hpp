// The norms tables as an Excel workbook: a first sheet "About" with the facts of the run, then
// one sheet per norm group holding the columns of the CSV table.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "norms/tables/norms_table.hpp"
#include "norms/write/csv_table.hpp"

namespace norms {

struct NormsWorkbook {
    struct Table {
        std::string group;  // empty: the one table of a frequency file
        NormsRun run;
        std::vector<TableColumn> added;  // after the table's own columns, as in the CSV
    };
    stats::IntervalMethod method = stats::IntervalMethod::bayesian;
    std::string data_file;
    std::vector<std::string> notes;
    std::vector<Table> tables;
};

// Sheet names within Excel's rules, one per group in order: at most 31 characters, none of
// []:*?/\ (each becomes "_"), no apostrophe first or last, unique in the workbook (letter case
// aside, and apart from "About") by a " (2)", " (3)"… after the name. "Norms" for the one
// table without a group.
std::vector<std::string> WorksheetNames(const std::vector<std::string>& groups);

// The workbook of one Compute run: its table alone, with any added columns.
NormsWorkbook RunWorkbook(const NormsRun& run, std::vector<TableColumn> added = {});

// The bytes of the workbook file that is to stand at `path`. Every text in it is valid UTF-8
// that XML can hold (platform::xml_text), cut to the 32,767 characters a cell takes. Its parts
// are put together in memory and in scratch files beside `path`. Throws platform::Failure
// naming `path` and the cause.
std::string norms_workbook_file(const std::string& path, const NormsWorkbook& workbook);

// A workbook of other tables than norms tables, such as continuous norms: a first sheet
// "About" of facts, each a text or a number, then sheets of numbers under a header row.
struct SheetsWorkbook {
    struct Fact {
        std::string key;
        std::string text;                // shown when there is no number
        std::optional<Extended> number;  // stored with the digits the CSV tables print
    };
    // How a column's numbers show: as they stand, as a rank in percent (as the report rounds
    // it), or to a number of decimals.
    struct ColumnFormat {
        bool rank = false;
        std::optional<int> decimals = std::nullopt;
    };
    struct Sheet {
        std::string name;  // fitted to Excel's rules as WorksheetNames fits a group's name
        std::vector<std::string> header;
        std::vector<ColumnFormat> formats;  // one per column
        // An infinite number stands as the text "-inf" or "inf", as in the CSV tables.
        std::vector<std::vector<Extended>> rows;
    };
    std::vector<Fact> about;
    std::vector<Sheet> sheets;
};

// The bytes of such a workbook, as norms_workbook_file gives a norms workbook's.
std::string sheets_workbook_file(const std::string& path, const SheetsWorkbook& workbook);

// Writes the workbook to `path`. The file is made apart and replaces `path` only when
// complete, as a save that cannot lose the old file; a symlink at `path` keeps pointing where
// it did, and its file gets the workbook. Throws platform::Failure naming `path` and the cause.
void SaveNormsWorkbook(const std::string& path, const NormsWorkbook& workbook);

}  // namespace norms
