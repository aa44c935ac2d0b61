// Laying plain text out on printed pages: the pen starts at the top-left of the printable area,
// lines break between characters where they would pass the right edge, and control characters
// move the pen. The surface is abstract, and this code Qt-free, so that the layout is one rule
// that runs the same on a real printer (ui/qt_print_surface) and on a fixed-pitch fake in the
// tests, where every pen position can be checked to the pixel without a printer.
#pragma once

#include <string>
#include <string_view>

namespace platform {

struct TextExtent {
    int width = 0;
    int height = 0;
};

// A printer's drawing surface, measured in printer pixels. Texts are UTF-8.
class PrintSurface {
public:
    virtual ~PrintSurface() = default;

    virtual TextExtent text_extent(const std::string& text) = 0;
    virtual int average_char_width() = 0;
    virtual int char_height() = 0;
    // The printable area; (0, 0) is its top-left corner.
    virtual int page_width() = 0;
    virtual int page_height() = 0;
    // (x, y) is the top-left corner of the text's cell.
    virtual void draw_text(int x, int y, const std::string& text) = 0;
    virtual void new_page() = 0;
};

// Prints text, followed by one line end, starting at the top-left of the surface's current
// page. Carriage return ends a run without moving the pen, line feed starts a new line, form
// feed a new page, and tab moves to the next stop eight average characters apart.
void LayOutText(PrintSurface& surface, std::string_view text);

}  // namespace platform
