// A manual table laid out on printed pages, in a fixed-pitch font: which orientation, which
// columns and rows go on which page, and every line's text. The PDF drawing only sets the lines
// down; every decision is made here.
#pragma once

#include <string>
#include <vector>

#include "norms/write/manual_table.hpp"

namespace norms {

// A column title wider than this many characters wraps, unless the column's cells are wider.
inline constexpr int widest_column_title = 16;

// What a page holds in the table's font, below its title and subtitle and above its number.
struct ManualPageRoom {
    int characters = 0;  // per line
    int lines = 0;
};

struct ManualPage {
    bool landscape = false;
    std::string title;
    std::string subtitle;
    std::vector<std::string> header;  // the column titles, repeated on every page
    std::vector<std::string> body;
    std::vector<std::string> foot;    // the footnotes, after a blank line
};

// The table's pages: portrait when every column fits across a portrait page, else landscape;
// columns go onto further pages only when they do not fit across a landscape page, and then
// the raw-score column comes again on each. The rows run on over as many pages as they need,
// with the header on each. The column titles the table cuts follow in full, then the
// reversals, when looked for, each on pages of their own.
std::vector<ManualPage> manual_pages(const ManualTable& table, ManualPageRoom portrait,
                                     ManualPageRoom landscape);

// The characters of a UTF-8 text.
int text_width(std::string_view text);

// The text broken into lines of at most `width` characters at spaces; a word longer than that
// is broken where the line ends.
std::vector<std::string> wrap_text(std::string_view text, int width);

}  // namespace norms
