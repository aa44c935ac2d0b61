// The Compute run: the worksheet's values, the frequency file, the norms table and the
// report, written once for the worksheet window and vornak-batch.
#pragma once

#include "norms/tables/norms_table.hpp"
#include "norms/write/views.hpp"
#include "platform/desktop.hpp"

namespace norms {

// One Compute run. Gives true when the report has been appended and the results viewer
// brought up. A refused input shows its message (or none, for a cancelled dialog), moves the
// focus to the box to correct and gives false. A successful run is also handed to
// results.keep_run. Failures inside the run (files, numbers in the
// data file, the distributions) propagate as exceptions to the caller's catch place.
bool RunCompute(platform::Desktop& desktop, WorksheetView& worksheet, ResultsView& results,
                NormsRun& run);

}  // namespace norms
