// Pieces the windows build alike: sunken or raised panels, the fixed-pitch font, opening
// centred on the screen, and the line that says results are out of date.
#pragma once

#include <QFont>
#include <QFrame>
#include <QLabel>

namespace ui {

QFrame* new_panel(QWidget* parent, const char* name, QRect geometry, QFrame::Shadow shadow);

// "Courier New", which fontconfig maps to the metric-compatible Liberation Mono.
QFont typewriter_font(int pixel_size);

void centre_on_screen(QWidget& window);

// Shows a window, or brings it back, in front of the others and active.
void show_in_front(QWidget& window);

// A bold, word-wrapped line above results, hidden until they no longer match the choices.
QLabel* new_outdated_label(QWidget* parent, const char* name);

}  // namespace ui
