#include "ui/qt_print_surface.hpp"

#include <cups/cups.h>

#include <QCoreApplication>
#include <QPrinterInfo>

#include "platform/failure.hpp"

namespace ui {

namespace {

// Set while a job is being laid out and sent. Events are processed meanwhile, so a second
// print command can start before the first has ended.
bool printing = false;

class PrintingFlag {
public:
    PrintingFlag()
    {
        if (printing)
            throw platform::Failure("Printing in progress");
        printing = true;
    }
    ~PrintingFlag() { printing = false; }
    PrintingFlag(const PrintingFlag&) = delete;
    PrintingFlag& operator=(const PrintingFlag&) = delete;
};

QPrinterInfo default_printer()
{
    QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        throw platform::Failure("There is no default printer currently selected");
    return printer;
}

QFont eight_points(QFont font)
{
    font.setPointSize(8);
    return font;
}

}  // namespace

void PrintOnDefaultPrinter(const QFont& font, const std::string& text)
{
    const PrintingFlag flag;
    QtPrintSurface surface(font);
    platform::LayOutText(surface, text);
    surface.finish();
}

QtPrintSurface::QtPrintSurface(const QFont& font)
    : printer_(default_printer(), QPrinter::HighResolution), metrics_(font)
{
    printer_.setDocName(QString());
    printer_.setFullPage(false);
    if (!painter_.begin(&printer_))
        throw platform::Failure("The printer could not start the print job");
    painter_.setFont(eight_points(font));
    painter_.setPen(Qt::black);
    metrics_ = painter_.fontMetrics();
}

QtPrintSurface::~QtPrintSurface()
{
    if (painter_.isActive()) {
        printer_.abort();
        painter_.end();
    }
}

void QtPrintSurface::finish()
{
    if (!painter_.end() || printer_.printerState() == QPrinter::Error)
        throw platform::Failure("The printer could not complete the print job");
    // Qt hands the finished job to the print server on this thread and drops the answer, so a
    // job the server refused would otherwise be lost without a word.
    if (cupsLastError() >= IPP_STATUS_ERROR_BAD_REQUEST)
        throw platform::Failure(cupsLastErrorString());
}

platform::TextExtent QtPrintSurface::text_extent(const std::string& text)
{
    return {metrics_.horizontalAdvance(QString::fromStdString(text)), metrics_.height()};
}

int QtPrintSurface::average_char_width()
{
    return metrics_.averageCharWidth();
}

int QtPrintSurface::char_height()
{
    return metrics_.height();
}

int QtPrintSurface::page_width()
{
    return printer_.width();
}

int QtPrintSurface::page_height()
{
    return printer_.height();
}

void QtPrintSurface::draw_text(int x, int y, const std::string& text)
{
    painter_.drawText(x, y + metrics_.ascent(), QString::fromStdString(text));
}

void QtPrintSurface::new_page()
{
    if (!printer_.newPage())
        throw platform::Failure("The printer could not start a new page");
    QCoreApplication::processEvents();
}

}  // namespace ui
