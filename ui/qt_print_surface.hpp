// Printing plain text on the default printer, without a dialog.
#pragma once

#include <string>

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include "platform/print_layout.hpp"

namespace ui {

// Lays text out with the given font family at 8 points, in one job with an empty title on the
// default printer. Throws platform::Failure when there is no default printer, when a print is
// already running, or when the printer fails. While the pages go out, window events are
// processed, so the windows repaint and stay usable.
void PrintOnDefaultPrinter(const QFont& font, const std::string& text);

// One print job on the default printer, as a surface for LayOutText. The page is the printable
// area, with the origin at its top-left corner.
class QtPrintSurface final : public platform::PrintSurface {
public:
    // Opens the job; throws platform::Failure when there is no default printer.
    explicit QtPrintSurface(const QFont& font);
    // A job that was not finished is aborted.
    ~QtPrintSurface() override;
    QtPrintSurface(const QtPrintSurface&) = delete;
    QtPrintSurface& operator=(const QtPrintSurface&) = delete;

    // Closes the job and hands it to the printer.
    void finish();

    platform::TextExtent text_extent(const std::string& text) override;
    int average_char_width() override;
    int char_height() override;
    int page_width() override;
    int page_height() override;
    void draw_text(int x, int y, const std::string& text) override;
    void new_page() override;

private:
    QPrinter printer_;
    QPainter painter_;
    QFontMetrics metrics_;
};

}  // namespace ui
