// What a Compute run reads from and does to the two windows. The worksheet window and
// vornak-batch each provide both views, so the run itself is written once.
#pragma once

#include <string>
#include <vector>

#include "platform/desktop.hpp"
#include "stats/interval_method.hpp"

namespace norms {

struct NormsRun;

class WorksheetView {
public:
    virtual ~WorksheetView() = default;

    // Input boxes and their labels are numbered 1 to 8; the worksheet shows the first three.
    virtual std::string input_text(int box) const = 0;
    virtual std::string label_caption(int box) const = 0;
    virtual int visible_input_count() const = 0;
    virtual stats::IntervalMethod interval_method() const = 0;
    // The notes as the notes box displays them: a wrapped line counts as several.
    virtual std::vector<std::string> notes_lines() const = 0;
    virtual std::string notes_caption() const = 0;

    virtual void focus_input(int box) = 0;
    virtual void hide() = 0;
    // Records the accepted input texts; may throw platform::Failure.
    virtual void save_current_data() = 0;
    // The open-file dialog the run uses to choose the frequency file; it keeps the name chosen
    // last for the next run.
    virtual platform::FileDialog& open_dialog() = 0;
};

class ResultsView {
public:
    virtual ~ResultsView() = default;

    virtual void show() = 0;
    virtual void set_caption(const std::string& caption) = 0;
    virtual bool has_lines() const = 0;
    virtual void append_lines(const std::vector<std::string>& lines) = 0;
    // The table of the latest successful run, for views that offer it beside the report.
    virtual void keep_run(const NormsRun&) {}
};

}  // namespace norms
