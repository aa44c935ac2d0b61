// The manual table as a PDF document: A4 pages laid out by norms::manual_pages, set in a
// fixed-pitch font, each with the table's title, its header rows and "Page 2 of 3" at the foot.
#pragma once

#include <QByteArray>

#include "norms/write/manual_table.hpp"

namespace ui {

QByteArray ManualTablePdf(const norms::ManualTable& table);

}  // namespace ui
