// The two views of the Compute run as vornak-batch fills them from its command line, and the
// option values and operands that its forms share.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <optional>
#include <string>
#include <vector>

#include "norms/frequency_file.hpp"
#include "norms/program_strings.hpp"
#include "norms/views.hpp"

namespace norms {

// A number as an option's value: a decimal number with "." as the point, nothing around it;
// none for anything else or an infinite value.
std::optional<Extended> ParseOptionNumber(const std::string& text);

// A percentile rank strictly between 0 and 100 (one that stays above 0 as a proportion).
std::optional<Extended> ParsePercentileRank(const std::string& text);

// MIN and MAX as the worksheet takes its boxes (truncated toward zero), then the limits of a
// frequency file: from 0 to 999999, the maximum not below the minimum, at most 200 scores.
// False once the refusal has been shown.
bool ReadScoreRange(platform::Desktop& desktop, const std::string& min_text,
                    const std::string& max_text, std::int64_t& min_score, std::int64_t& max_score);

// Writes a form's result to standard output with `write` and flushes it: 0 when the stream
// took everything, else 1 after showing the file failure.
int WriteOutput(std::ostream& out, platform::Desktop& desktop,
                const std::function<void(std::ostream&)>& write);

// Index of a --method name (0 Bayesian, 1 classical, 2 mid-p); -1 for an unknown name.
int BatchMethodIndex(const std::string& name);

// Lines as a notes box holds them: a final line feed starts no further line.
std::vector<std::string> SplitNotes(const std::string& text);

// The worksheet as the command line fills it: three boxes, the method, the notes.
class BatchWorksheet : public WorksheetView {
public:
    std::string texts[3];
    std::vector<std::string> notes;
    int method = 0;

    std::string input_text(int box) const override { return box <= 3 ? texts[box - 1] : ""; }
    std::string label_caption(int box) const override
    {
        return box <= 3 ? InputCaptions[box - 1] : "";
    }
    int visible_input_count() const override { return 3; }
    int method_index() const override { return method; }
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
