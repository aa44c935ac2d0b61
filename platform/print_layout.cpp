#include "platform/print_layout.hpp"

#include <algorithm>
#include <vector>

#include "stats/utf8.hpp"

namespace platform {

namespace {

// Byte offsets of the character boundaries of UTF-8 text, from 0 to its size.
std::vector<std::size_t> character_boundaries(std::string_view text)
{
    std::vector<std::size_t> boundaries;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!stats::is_utf8_continuation(text[i]))
            boundaries.push_back(i);
    }
    boundaries.push_back(text.size());
    return boundaries;
}

class PageWriter {
public:
    explicit PageWriter(PrintSurface& surface) : surface_(surface) {}

    void write(std::string_view text)
    {
        std::size_t run_start = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c != '\r' && c != '\n' && c != '\f' && c != '\t')
                continue;
            print_run(text.substr(run_start, i - run_start));
            run_start = i + 1;
            if (c == '\n')
                new_line();
            else if (c == '\f')
                new_page();
            else if (c == '\t')
                tab();
        }
        print_run(text.substr(run_start));
        new_line();
    }

private:
    struct Part {
        std::size_t bytes = 0;
        TextExtent extent;
    };

    void print_run(std::string_view run)
    {
        for (;;) {
            Part part = longest_fitting_part(run);
            // On a page narrower than one character nothing would ever fit, and the run would
            // start new lines forever: print at least one character on each line.
            if (part.bytes == 0 && x_ == 0 && !run.empty())
                part = measure(run, character_boundaries(run)[1]);
            if (part.bytes == run.size()) {
                draw(run, part.extent);
                x_ += part.extent.width;
                return;
            }
            draw(run.substr(0, part.bytes), part.extent);
            new_line();
            run.remove_prefix(part.bytes);
        }
    }

    // The longest leading part of the run that fits between x and the right edge. Widths of
    // leading parts grow with their length, so halving finds the same part as dropping one
    // character at a time from the end, without quadratic time on a long pasted line.
    Part longest_fitting_part(std::string_view run)
    {
        const Part whole = measure(run, run.size());
        if (fits(whole))
            return whole;
        const std::vector<std::size_t> boundaries = character_boundaries(run);
        std::size_t fitting = 0;                      // index into boundaries; 0 bytes fit
        std::size_t too_long = boundaries.size() - 1;  // the whole run
        Part best;
        while (too_long - fitting > 1) {
            const std::size_t middle = fitting + (too_long - fitting) / 2;
            const Part candidate = measure(run, boundaries[middle]);
            if (fits(candidate)) {
                fitting = middle;
                best = candidate;
            } else {
                too_long = middle;
            }
        }
        return best;
    }

    Part measure(std::string_view run, std::size_t bytes)
    {
        return {bytes, surface_.text_extent(std::string(run.substr(0, bytes)))};
    }

    bool fits(const Part& part) const { return x_ + part.extent.width <= surface_.page_width(); }

    void draw(std::string_view text, const TextExtent& extent)
    {
        if (text.empty())
            return;
        for (; pending_pages_ > 0; --pending_pages_)
            surface_.new_page();
        // After blank lines the pen may sit so low that a line would fall off the bottom of
        // the sheet and be lost; such a line goes to the top of the next sheet instead.
        if (y_ > 0 && y_ + extent.height > surface_.page_height()) {
            surface_.new_page();
            y_ = 0;
        }
        surface_.draw_text(x_, y_, std::string(text));
        if (extent.height > line_height_)
            line_height_ = extent.height + 2;
    }

    void tab()
    {
        const int stop = std::max(1, 8 * surface_.average_char_width());
        x_ = x_ + stop - ((x_ + stop + 1) % stop) + 1;
        if (x_ > surface_.page_width())
            new_line();
    }

    void new_line()
    {
        x_ = 0;
        y_ += line_height_ != 0 ? line_height_ : surface_.char_height();
        if (y_ > surface_.page_height() - 2 * line_height_)
            new_page();
        line_height_ = 0;
    }

    // The sheet is begun only when something is drawn on it, so a text that ends at the
    // bottom of a page does not feed a blank sheet.
    void new_page()
    {
        x_ = 0;
        y_ = 0;
        ++pending_pages_;
    }

    PrintSurface& surface_;
    int x_ = 0;
    int y_ = 0;
    int line_height_ = 0;
    int pending_pages_ = 0;
};

}  // namespace

void LayOutText(PrintSurface& surface, std::string_view text)
{
    PageWriter(surface).write(text);
}

}  // namespace platform
