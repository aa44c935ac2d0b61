// The two views of the Compute run as vornak-batch fills them from its command line.
#pragma once

#include <string>
#include <vector>

#include "norms/program_strings.hpp"
#include "norms/write/views.hpp"

namespace norms {

// The worksheet as the command line fills it: three boxes, the method, the notes.
class BatchWorksheet : public WorksheetView {
public:
    std::string texts[3];
    std::vector<std::string> notes;
    stats::IntervalMethod method = stats::IntervalMethod::bayesian;

    std::string input_text(int box) const override { return box <= 3 ? texts[box - 1] : ""; }
    std::string label_caption(int box) const override
    {
        return box <= 3 ? InputCaptions[box - 1] : "";
    }
    int visible_input_count() const override { return 3; }
    stats::IntervalMethod interval_method() const override { return method; }
    std::vector<std::string> notes_lines() const override { return notes; }
    std::string notes_caption() const override { return NotesCaption; }

    void focus_input(int) override {}
    void hide() override {}
    // Nothing is kept between runs of vornak-batch.
    void save_current_data() override {}
    platform::FileDialog& open_dialog() override { return dialog_; }

private:
    platform::FileDialog dialog_;
};

class BatchResults : public ResultsView {
public:
    std::vector<std::string> lines;

    void show() override {}
    void set_caption(const std::string&) override {}
    bool has_lines() const override { return !lines.empty(); }
    void append_lines(const std::vector<std::string>& appended) override
    {
        lines.insert(lines.end(), appended.begin(), appended.end());
    }
};

}  // namespace norms
