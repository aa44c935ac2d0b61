// Pieces the two windows build alike: sunken or raised panels, the fixed-pitch font, and
// opening centred on the screen.
#pragma once

#include <QFont>
#include <QFrame>

namespace ui {

QFrame* new_panel(QWidget* parent, const char* name, QRect geometry, QFrame::Shadow shadow);

// "Courier New", which fontconfig maps to the metric-compatible Liberation Mono.
QFont typewriter_font(int pixel_size);

void centre_on_screen(QWidget& window);

// Shows a window, or brings it back, in front of the others and active.
void show_in_front(QWidget& window);

}  // namespace ui
